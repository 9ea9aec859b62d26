// A stand-in dwmapi.dll for the planting test: dropped beside a copy of quorvel.exe, it leaves a
// marker file next to itself as soon as any process loads it. The program must never load it.
#include <windows.h>

static void LeaveMarker(HINSTANCE self) {
    wchar_t path[MAX_PATH + 16];
    DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    lstrcatW(path, L".loaded");
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) LeaveMarker(self);
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DwmSetWindowAttribute(HWND, DWORD, LPCVOID,
                                                                      DWORD) {
    return S_OK;
}
