// The yardstick for start-up and memory: the least a Win32 program with one painted window
// does. It paints its client area once per WM_PAINT and ends when the window is closed.
// Built a second time with WITH_EDIT_FIELDS and the program's manifest, it also holds four
// hidden edit fields of Common Controls 6, as the calendar window does: what that library costs
// any program that uses it.
#include <windows.h>

static LRESULT CALLBACK MinimalProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
#ifdef WITH_EDIT_FIELDS
        case WM_CREATE:
            for (int i = 0; i < 4; ++i)
                CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_TABSTOP | ES_CENTER | ES_NUMBER,
                                10, 10 + 30 * i, 80, 24, window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + i)), nullptr,
                                nullptr);
            return 0;
#endif
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            EndPaint(window, &ps);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = MinimalProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"QuorvelMinimalWindow";
    RegisterClassExW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"Minimal", WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 900, 880, nullptr, nullptr,
                                  instance, nullptr);
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
