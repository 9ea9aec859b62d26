// A small Win32 console tool the end-to-end tests run beside quorvel.exe in the same Wine
// prefix: it reads the program's windows as the platform sees them and sends them the messages
// the platform would send (a DPI change, a resize). One command per run, JSON on stdout.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

static const wchar_t CALENDAR_CLASS[] = L"VoskTarnellineQuorvelDast";
static const wchar_t WIDGET_CLASS[] = L"VoskTarnellineQuorvelWidget";

static std::string Utf8(const wchar_t* text) {
    char buffer[2048];
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
    return n > 0 ? std::string(buffer, n - 1) : std::string();
}

static std::string Json(const wchar_t* text) {
    std::string out = "\"";
    for (char c : Utf8(text)) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            char esc[8];
            snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

static std::string RectJson(const RECT& r) {
    char b[96];
    snprintf(b, sizeof b, "[%ld,%ld,%ld,%ld]", r.left, r.top, r.right, r.bottom);
    return b;
}

static HWND Target(const char* which) {
    return FindWindowW(strcmp(which, "widget") == 0 ? WIDGET_CLASS : CALENDAR_CLASS, nullptr);
}

static std::string WindowJson(HWND w) {
    if (!w) return "null";
    wchar_t title[256] = {};
    GetWindowTextW(w, title, 256);
    RECT rect, client;
    GetWindowRect(w, &rect);
    GetClientRect(w, &client);
    POINT origin = {0, 0};
    ClientToScreen(w, &origin);
    char b[512];
    snprintf(b, sizeof b,
             "{\"hwnd\":%llu,\"visible\":%d,\"iconic\":%d,\"foreground\":%d,\"style\":%lu,"
             "\"exstyle\":%lu,\"rect\":%s,\"client\":[%ld,%ld],\"origin\":[%ld,%ld],\"title\":",
             (unsigned long long)(UINT_PTR)w, IsWindowVisible(w) ? 1 : 0, IsIconic(w) ? 1 : 0,
             GetForegroundWindow() == w ? 1 : 0, (unsigned long)GetWindowLongW(w, GWL_STYLE),
             (unsigned long)GetWindowLongW(w, GWL_EXSTYLE), RectJson(rect).c_str(), client.right,
             client.bottom, origin.x, origin.y);
    return std::string(b) + Json(title) + "}";
}

struct ChildList {
    std::string json;
};

static BOOL CALLBACK AddChild(HWND child, LPARAM param) {
    auto* list = reinterpret_cast<ChildList*>(param);
    // Across processes GetWindowTextW reads only the caption the system stored at creation;
    // an edit field's text has to be asked for.
    wchar_t text[256] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(child, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000,
                        &copied);
    RECT r;
    GetWindowRect(child, &r);
    char b[256];
    snprintf(b, sizeof b, "{\"id\":%d,\"visible\":%d,\"rect\":%s,\"text\":",
             GetDlgCtrlID(child), IsWindowVisible(child) ? 1 : 0, RectJson(r).c_str());
    if (list->json.size() > 1) list->json += ",";
    list->json += std::string(b) + Json(text) + "}";
    return TRUE;
}

// The control id of the focused window of the program's thread: 0 for the calendar window
// itself, -1 for the widget, -2 for none or anything else.
static int FocusId(HWND calendar, HWND widget) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!calendar || !GetGUIThreadInfo(GetWindowThreadProcessId(calendar, nullptr), &info))
        return -2;
    if (!info.hwndFocus) return -2;
    if (info.hwndFocus == calendar) return 0;
    if (info.hwndFocus == widget) return -1;
    if (GetParent(info.hwndFocus) == calendar) return GetDlgCtrlID(info.hwndFocus);
    return -2;
}

static int State() {
    HWND calendar = Target("calendar"), widget = Target("widget");
    ChildList children{"["};
    if (calendar) EnumChildWindows(calendar, AddChild, reinterpret_cast<LPARAM>(&children));
    children.json += "]";
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    SYSTEMTIME now;
    GetLocalTime(&now);
    printf("{\"calendar\":%s,\"widget\":%s,\"children\":%s,\"focus\":%d,\"workarea\":%s,"
           "\"screen_dpi\":%d,\"now\":\"%04d-%02d-%02d %02d:%02d:%02d\"}\n",
           WindowJson(calendar).c_str(), WindowJson(widget).c_str(), children.json.c_str(),
           FocusId(calendar, widget), RectJson(work).c_str(), dpi, now.wYear, now.wMonth,
           now.wDay, now.wHour, now.wMinute, now.wSecond);
    return 0;
}

// Memory at one address in both processes holding the same bytes, so a pointer parameter is
// right whether or not the platform copies the structure across for this message.
static void* SharedBlock(HANDLE process, const void* data, SIZE_T size) {
    void* remote = VirtualAllocEx(process, nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!remote) return nullptr;
    void* local = VirtualAlloc(remote, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (local != remote) return nullptr;
    memcpy(local, data, size);
    WriteProcessMemory(process, remote, data, size, nullptr);
    return remote;
}

static HANDLE OpenTarget(HWND w) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    return OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
}

static int DpiChanged(int dpi, const RECT& suggested) {
    HWND calendar = Target("calendar");
    if (!calendar) return 2;
    HANDLE process = OpenTarget(calendar);
    void* block = SharedBlock(process, &suggested, sizeof suggested);
    if (!block) return 3;
    LRESULT r = SendMessageW(calendar, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                             reinterpret_cast<LPARAM>(block));
    printf("{\"result\":%lld}\n", (long long)r);
    return 0;
}

static int MinTrack() {
    HWND calendar = Target("calendar");
    if (!calendar) return 2;
    MINMAXINFO info = {};
    HANDLE process = OpenTarget(calendar);
    void* block = SharedBlock(process, &info, sizeof info);
    if (!block) return 3;
    SendMessageW(calendar, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(block));
    MINMAXINFO local = *static_cast<MINMAXINFO*>(block);
    MINMAXINFO remote = {};
    ReadProcessMemory(process, block, &remote, sizeof remote, nullptr);
    // Whichever copy the program wrote into is the answer.
    const MINMAXINFO& got = remote.ptMinTrackSize.x ? remote : local;
    printf("{\"min_track\":[%ld,%ld]}\n", got.ptMinTrackSize.x, got.ptMinTrackSize.y);
    return 0;
}

// A value under HKEY_CURRENT_USER, read as the program reads it (wide text, any type).
static int RegistryValue(const char* subkey, const char* name) {
    wchar_t wideKey[512], wideName[256];
    MultiByteToWideChar(CP_UTF8, 0, subkey, -1, wideKey, 512);
    MultiByteToWideChar(CP_UTF8, 0, name, -1, wideName, 256);
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, wideKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        printf("{\"exists\":0}\n");
        return 0;
    }
    BYTE data[4096] = {};
    DWORD type = 0, size = sizeof data - sizeof(wchar_t);
    const LONG r = RegQueryValueExW(key, wideName, nullptr, &type, data, &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS) {
        printf("{\"exists\":0}\n");
        return 0;
    }
    std::string text = type == REG_SZ || type == REG_EXPAND_SZ
                           ? Json(reinterpret_cast<const wchar_t*>(data))
                           : std::string("null");
    printf("{\"exists\":1,\"type\":%lu,\"size\":%lu,\"data\":%s}\n", type, size,
           text.c_str());
    return 0;
}

// Which of the two system cursors the pointer shows: "hand", "arrow" or "other".
static int Cursor() {
    CURSORINFO info = {};
    info.cbSize = sizeof info;
    GetCursorInfo(&info);
    const char* name = info.hCursor == LoadCursorW(nullptr, IDC_HAND)    ? "hand"
                       : info.hCursor == LoadCursorW(nullptr, IDC_ARROW) ? "arrow"
                                                                         : "other";
    printf("{\"cursor\":\"%s\",\"handle\":%llu}\n", name,
           (unsigned long long)(UINT_PTR)info.hCursor);
    return 0;
}

static long Arg(char** argv, int i) { return strtol(argv[i], nullptr, 0); }

static BOOL CALLBACK CountCalendar(HWND w, LPARAM count) {
    wchar_t name[64];
    if (GetClassNameW(w, name, 64) && wcscmp(name, CALENDAR_CLASS) == 0)
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// `count` starts of `exe` at the same moment: all created suspended, then resumed one right
// after the other. Waits until all but one have ended (or 20 s), then reports every exit code
// (259 while still running) and the number of calendar windows.
static int Race(const char* exe, int count) {
    wchar_t path[MAX_PATH];
    MultiByteToWideChar(CP_UTF8, 0, exe, -1, path, MAX_PATH);
    HANDLE processes[64];
    HANDLE threads[64];
    if (count < 1 || count > 64) return 1;
    for (int i = 0; i < count; ++i) {
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        std::wstring commandLine = L"\"" + std::wstring(path) + L"\"";
        if (!CreateProcessW(path, &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                            nullptr, nullptr, &si, &pi))
            return 3;
        processes[i] = pi.hProcess;
        threads[i] = pi.hThread;
    }
    for (int i = 0; i < count; ++i) ResumeThread(threads[i]);
    const DWORD deadline = GetTickCount() + 20000;
    int running = count;
    while (running > 1 && GetTickCount() < deadline) {
        Sleep(100);
        running = 0;
        for (int i = 0; i < count; ++i)
            if (WaitForSingleObject(processes[i], 0) == WAIT_TIMEOUT) ++running;
    }
    Sleep(1000);  // a late second window would show by now
    int windows = 0;
    EnumWindows(CountCalendar, reinterpret_cast<LPARAM>(&windows));
    std::string codes;
    for (int i = 0; i < count; ++i) {
        DWORD code = 0;
        GetExitCodeProcess(processes[i], &code);
        codes += (i ? "," : "") + std::to_string(code);
        CloseHandle(threads[i]);
        CloseHandle(processes[i]);
    }
    printf("{\"exit_codes\":[%s],\"calendar_windows\":%d}\n", codes.c_str(), windows);
    return 0;
}

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    const char* command = argv[1];
    if (strcmp(command, "state") == 0) return State();
    if (strcmp(command, "mintrack") == 0) return MinTrack();
    if (strcmp(command, "cursor") == 0) return Cursor();
    if (strcmp(command, "race") == 0 && argc == 4) return Race(argv[2], atoi(argv[3]));
    if (strcmp(command, "regvalue") == 0 && argc == 4) return RegistryValue(argv[2], argv[3]);
    if (strcmp(command, "dpichanged") == 0 && argc == 7) {
        RECT r = {Arg(argv, 3), Arg(argv, 4), Arg(argv, 5), Arg(argv, 6)};
        return DpiChanged(static_cast<int>(Arg(argv, 2)), r);
    }
    if ((strcmp(command, "send") == 0 || strcmp(command, "post") == 0) && argc == 6) {
        HWND w = Target(argv[2]);
        if (!w) return 2;
        const UINT message = static_cast<UINT>(Arg(argv, 3));
        const WPARAM wp = static_cast<WPARAM>(strtoll(argv[4], nullptr, 0));
        const LPARAM lp = static_cast<LPARAM>(strtoll(argv[5], nullptr, 0));
        if (command[0] == 's')
            printf("{\"result\":%lld}\n", (long long)SendMessageW(w, message, wp, lp));
        else
            printf("{\"result\":%d}\n", PostMessageW(w, message, wp, lp) ? 1 : 0);
        return 0;
    }
    if (strcmp(command, "setpos") == 0 && argc == 7) {
        HWND w = Target(argv[2]);
        if (!w) return 2;
        SetWindowPos(w, nullptr, Arg(argv, 3), Arg(argv, 4), Arg(argv, 5), Arg(argv, 6),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        printf("%s\n", WindowJson(w).c_str());
        return 0;
    }
    if (strcmp(command, "foreground") == 0 && argc == 3) {
        HWND w = Target(argv[2]);
        printf("{\"result\":%d}\n", w && SetForegroundWindow(w) ? 1 : 0);
        return 0;
    }
    return 1;
}
