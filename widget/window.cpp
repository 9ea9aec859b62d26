// The widget's behaviour: showing and placing it, dragging it by any point, the double-click
// back to the calendar, the context menu, the remembered place and the daily refresh.
#include "widget/widget.h"

#include "app/app.h"
#include "calendar/calendar.h"
#include "draw/draw.h"

POINT WidgetPlacement(int32_t savedX, int32_t savedY, const RECT& workArea, int32_t dpi) {
    // Only the right and bottom edges count: a place left of or above the work area (a taskbar
    // at the top or left) is still on the screen.
    const bool rejected = savedX < 0 || savedY < 0 ||
                          savedX > workArea.right - ScaleAt(40, dpi) ||
                          savedY > workArea.bottom - ScaleAt(40, dpi);
    if (!rejected) return POINT{savedX, savedY};
    return POINT{workArea.right - ScaleAt(300, dpi) - ScaleAt(24, dpi),
                 workArea.top + ScaleAt(24, dpi)};
}

static HWND TopmostOrNot(int32_t alwaysOnTop) {
    return alwaysOnTop != 0 ? HWND_TOPMOST : HWND_NOTOPMOST;
}

// The size is taken here, so a DPI change of the calendar window resizes the widget the next
// time it is shown. A rejected saved place stays in the state; only a move replaces it.
static void PlaceAndShowWidget() {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const POINT place = WidgetPlacement(g_app.widgetX, g_app.widgetY, work, g_app.dpi);
    SetWindowPos(g_app.widgetWindow, TopmostOrNot(g_app.alwaysOnTop), place.x, place.y,
                 Scale(300), Scale(214), SWP_SHOWWINDOW);
    ShowWindow(g_app.calendarWindow, SW_HIDE);
}

void ShowWidget(bool show) {
    if (show) {
        PlaceAndShowWidget();
    } else {
        ShowWindow(g_app.widgetWindow, SW_HIDE);
        ShowWindow(g_app.calendarWindow, SW_SHOW);
        SetForegroundWindow(g_app.calendarWindow);
    }
    RepaintBothWindows();
}

// ---- Context menu ------------------------------------------------------------------------

enum WidgetMenuCheck { CHECK_NONE, CHECK_ALWAYS_ON_TOP, CHECK_AUTOSTART };

struct WidgetMenuEntry {
    UINT flags;  // MF_STRING or MF_SEPARATOR
    UINT id;
    const wchar_t* text;
    WidgetMenuCheck check;
};

static const WidgetMenuEntry WIDGET_MENU[] = {
    {MF_STRING, IDM_OPEN_CALENDAR, L"Abrir calendario completo", CHECK_NONE},
    {MF_SEPARATOR, 0, nullptr, CHECK_NONE},
    {MF_STRING, IDM_ALWAYS_ON_TOP, L"Siempre visible", CHECK_ALWAYS_ON_TOP},
    {MF_STRING, IDM_AUTOSTART, L"Iniciar con Windows", CHECK_AUTOSTART},
    {MF_SEPARATOR, 0, nullptr, CHECK_NONE},
    {MF_STRING, IDM_EXIT, L"Salir", CHECK_NONE},
};

static bool IsChecked(WidgetMenuCheck check) {
    switch (check) {
        case CHECK_ALWAYS_ON_TOP: return g_app.alwaysOnTop != 0;
        case CHECK_AUTOSTART: return IsAutostartEnabled();
        default: return false;
    }
}

HMENU BuildWidgetMenu() {
    HMENU menu = CreatePopupMenu();
    for (const WidgetMenuEntry& entry : WIDGET_MENU) {
        const UINT flags = entry.flags | (IsChecked(entry.check) ? MF_CHECKED : 0);
        AppendMenuW(menu, flags, entry.id, entry.text);
    }
    return menu;
}

static void ToggleAlwaysOnTop() {
    g_app.alwaysOnTop = g_app.alwaysOnTop == 0 ? 1 : 0;
    WriteSetting(L"encima", g_app.alwaysOnTop);
    SetWindowPos(g_app.widgetWindow, TopmostOrNot(g_app.alwaysOnTop), 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE);
}

void RunWidgetMenuCommand(UINT command) {
    switch (command) {
        case IDM_OPEN_CALENDAR: ShowWidget(false); break;
        case IDM_ALWAYS_ON_TOP: ToggleAlwaysOnTop(); break;
        // Read again at the moment of the choice, so the toggle inverts what is really there.
        case IDM_AUTOSTART: SetAutostart(!IsAutostartEnabled()); break;
        case IDM_EXIT: DestroyWindow(g_app.calendarWindow); break;
        default: break;
    }
}

// The pointer's position rather than the message's: a menu opened from the keyboard comes
// with (-1, -1).
static LRESULT OnContextMenu(HWND window) {
    HMENU menu = BuildWidgetMenu();
    POINT pointer = {};
    GetCursorPos(&pointer);
    // Without the foreground the menu would not close on a click elsewhere.
    SetForegroundWindow(window);
    const UINT command = static_cast<UINT>(TrackPopupMenu(
        menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, pointer.x, pointer.y, 0, window, nullptr));
    DestroyMenu(menu);
    RunWidgetMenuCommand(command);
    return 0;
}

// ---- Messages ----------------------------------------------------------------------------

// The state keeps the place even when no settings file exists, so the widget comes back where
// it was left for the rest of the run.
static LRESULT OnExitSizeMove() {
    RECT rect = {};
    GetWindowRect(g_app.widgetWindow, &rect);
    g_app.widgetX = rect.left;
    g_app.widgetY = rect.top;
    WriteSetting(L"widget_x", g_app.widgetX);
    WriteSetting(L"widget_y", g_app.widgetY);
    return 0;
}

// The widget has no border, so every point of it is client area; calling it caption lets the
// system drag the widget from anywhere and report double-clicks as WM_NCLBUTTONDBLCLK.
static LRESULT OnNcHitTest(HWND window, WPARAM wParam, LPARAM lParam) {
    const LRESULT hit = DefWindowProcW(window, WM_NCHITTEST, wParam, lParam);
    return hit == HTCLIENT ? HTCAPTION : hit;
}


LRESULT CALLBACK WidgetWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            SetTimer(window, TIMER_DAY_CHECK, DAY_CHECK_PERIOD_MS, nullptr);
            return 0;
        case WM_PAINT: PaintWidgetWindow(window); return 0;
        case WM_ERASEBKGND: return 1;
        // Closing the widget ends the program, as closing the calendar window does.
        case WM_CLOSE: DestroyWindow(g_app.calendarWindow); return 0;
        case WM_TIMECHANGE: RefreshAfterClockChange(); return 0;
        case WM_TIMER: CheckDayRollover(); return 0;
        case WM_POWERBROADCAST: RefreshAfterPowerEvent(wParam); return TRUE;
        case WM_NCHITTEST: return OnNcHitTest(window, wParam, lParam);
        case WM_NCLBUTTONDBLCLK: ShowWidget(false); return 0;
        case WM_CONTEXTMENU: return OnContextMenu(window);
        case WM_EXITSIZEMOVE: return OnExitSizeMove();
        default: return DefWindowProcW(window, message, wParam, lParam);
    }
}
