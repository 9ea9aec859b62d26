// The calendar window's procedure and the command dispatcher. It draws nothing itself: it turns
// messages into state changes and repaint requests.
#include "calendar/calendar.h"

#include "app/app.h"
#include "draw/draw.h"
#include "widget/widget.h"

static void RepaintThisWindow(HWND window) { InvalidateRect(window, nullptr, FALSE); }

static int32_t MouseX(LPARAM lParam) { return static_cast<int16_t>(LOWORD(lParam)); }
static int32_t MouseY(LPARAM lParam) { return static_cast<int16_t>(HIWORD(lParam)); }

// Dark title bar where the system has it. dwmapi comes from the system folder only, so a
// dwmapi.dll planted beside the program never runs.
static void RequestDarkTitleBar(HWND window) {
    HMODULE dwm = LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!dwm) return;
    typedef HRESULT(WINAPI * SetAttributeProc)(HWND, DWORD, LPCVOID, DWORD);
    // Through a plain function pointer type: FARPROC converts to any entry point's type.
    auto setAttribute = reinterpret_cast<SetAttributeProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(dwm, "DwmSetWindowAttribute")));
    if (!setAttribute) return;
    const DWORD DWMWA_USE_IMMERSIVE_DARK_MODE = 20;
    const BOOL on = TRUE;
    setAttribute(window, DWMWA_USE_IMMERSIVE_DARK_MODE, &on, sizeof on);
}

static LRESULT OnCreate(HWND window) {
    g_app.dpi = static_cast<int32_t>(GetWindowDpi(window));
    // The fields exist before the fonts, so CreateFonts gives them fontEdit.
    g_app.editDay = CreateEditControl(window, IDC_DAY, 2);
    g_app.editMonth = CreateEditControl(window, IDC_MONTH, 2);
    g_app.editYear = CreateEditControl(window, IDC_YEAR, 4);
    g_app.editYears = CreateEditControl(window, IDC_YEARS, 3);
    CreateFonts();
    RequestDarkTitleBar(window);
    SetTimer(window, TIMER_DAY_CHECK, DAY_CHECK_PERIOD_MS, nullptr);
    return 0;
}

static LRESULT OnSetCursor(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (LOWORD(lParam) == HTCLIENT && g_app.hoverIndex >= 0) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

static LRESULT OnGetMinMaxInfo(LPARAM lParam) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMinTrackSize.x = Scale(640);
    info->ptMinTrackSize.y = Scale(560);
    return 0;
}

static LRESULT OnMouseMove(HWND window, LPARAM lParam) {
    const int32_t index = HitTest(g_app.hits, MouseX(lParam), MouseY(lParam));
    if (index == g_app.hoverIndex) return 0;
    g_app.hoverIndex = index;
    RepaintThisWindow(window);
    // Ask for WM_MOUSELEAVE so the highlight goes when the pointer leaves the client area.
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, window, 0};
    TrackMouseEvent(&track);
    return 0;
}

static LRESULT OnMouseLeave(HWND window) {
    g_app.hoverIndex = -1;
    RepaintThisWindow(window);
    return 0;
}

// A click is the release alone: no press handling and no capture.
static LRESULT OnLeftButtonUp(LPARAM lParam) {
    if (g_app.hits.count == 0) return 0;
    const int32_t index = HitTest(g_app.hits, MouseX(lParam), MouseY(lParam));
    if (index >= 0) RunCommand(static_cast<uint32_t>(g_app.hits.entries[index].command));
    return 0;
}

static LRESULT OnKeyDown(WPARAM key) {
    if (key >= '1' && key <= '4') {
        if (!g_app.setupMode) RunCommand(static_cast<uint32_t>(key - '0'));
    } else if (key == 'A') {
        if (g_app.setupMode) CommitSetup(); else EnterSetupMode();
    } else if (key == 'W') {
        if (!g_app.setupMode && g_app.stats.statsValid) ShowWidget(true);
    }
    return 0;
}

static LRESULT OnCommand(HWND window, WPARAM wParam) {
    if (LOWORD(wParam) == IDOK) {
        if (g_app.setupMode) CommitSetup();
        return 0;
    }
    // Any of the four fields changed: the status line follows what is typed.
    if (HIWORD(wParam) == EN_CHANGE && g_app.setupMode) {
        RecomputeStats();
        RepaintThisWindow(window);
    }
    return 0;
}


static LRESULT OnCtlColorEdit(WPARAM dc) {
    SetTextColor(reinterpret_cast<HDC>(dc), COLOR_TEXT);
    SetBkColor(reinterpret_cast<HDC>(dc), COLOR_EDIT_BG);
    return reinterpret_cast<LRESULT>(g_app.editBrush);
}

// The new DPI is stored before SetWindowPos, whose nested size and min-max messages use it.
static LRESULT OnDpiChanged(HWND window, WPARAM wParam, LPARAM lParam) {
    if (!IsMonitorDpi(HIWORD(wParam)) || !lParam) return 0;
    g_app.dpi = HIWORD(wParam);
    CreateFonts();
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(window, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    LayoutEditControls();
    RepaintThisWindow(window);
    return 0;
}

LRESULT CALLBACK CalendarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: return OnCreate(window);
        case WM_DESTROY: PostQuitMessage(0); return 0;
        case WM_SIZE: RepaintThisWindow(window); return 0;
        case WM_PAINT: PaintCalendarWindow(window); return 0;
        case WM_CLOSE: DestroyWindow(window); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_TIMECHANGE: RefreshAfterClockChange(); return 0;
        case WM_SETCURSOR: return OnSetCursor(window, message, wParam, lParam);
        case WM_GETMINMAXINFO: return OnGetMinMaxInfo(lParam);
        case WM_KEYDOWN: return OnKeyDown(wParam);
        case WM_COMMAND: return OnCommand(window, wParam);
        case WM_TIMER: CheckDayRollover(); return 0;
        case WM_CTLCOLOREDIT: return OnCtlColorEdit(wParam);
        case WM_MOUSEMOVE: return OnMouseMove(window, lParam);
        case WM_LBUTTONUP: return OnLeftButtonUp(lParam);
        case WM_POWERBROADCAST: RefreshAfterPowerEvent(wParam); return TRUE;
        case WM_MOUSELEAVE: return OnMouseLeave(window);
        case WM_DPICHANGED: return OnDpiChanged(window, wParam, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

static void ChooseView(uint32_t command) {
    g_app.view = static_cast<int32_t>(command - 1);
    // Written even when unchanged and while the setup form is open.
    WriteSetting(L"vista", g_app.view);
    RepaintBothWindows();
}

void RunCommand(uint32_t command) {
    switch (command) {
        case CMD_VIEW_WEEKS:
        case CMD_VIEW_MONTHS:
        case CMD_VIEW_YEARS:
        case CMD_VIEW_THIS_YEAR: ChooseView(command); break;
        case CMD_SETTINGS: if (g_app.setupMode) CommitSetup(); else EnterSetupMode(); break;
        case CMD_WIDGET_MODE:
            if (g_app.stats.statsValid && !g_app.setupMode) ShowWidget(true);
            break;
        case CMD_DONE: CommitSetup(); break;
        case CMD_TOGGLE_AUTOSTART:
            SetAutostart(!IsAutostartEnabled());
            RepaintBothWindows();
            break;
        default: break;
    }
}
