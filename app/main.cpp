// Start-up and the message loop: one running instance, the settings, the two windows, which of
// them the user sees first, and the one loop every window procedure runs from.
#include "app/app.h"

#include <cwchar>

#include "calendar/calendar.h"
#include "draw/draw.h"
#include "life/life.h"
#include "widget/widget.h"

static const wchar_t CALENDAR_TITLE[] = L"Calendario quorvel dast \u2014 Vosk Tarnelline";
static const wchar_t WIDGET_TITLE[] = L"Quorvel dast";
static const wchar_t WIDGET_SWITCH[] = L"/widget";
constexpr WORD ICON_ID = 1;
constexpr int32_t CALENDAR_WIDTH = 900;
constexpr int32_t CALENDAR_HEIGHT = 880;
constexpr int32_t WIDGET_WIDTH = 300;
constexpr int32_t WIDGET_HEIGHT = 214;

// Another instance runs: show its calendar window, whatever it showed before.
static void BringFirstInstanceForward() {
    HWND window = FindWindowW(CALENDAR_CLASS_NAME, nullptr);
    if (!window) return;
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
}

// No background brush, no menu, no extra bytes: both windows paint every pixel themselves.
static void RegisterWindowClass(const wchar_t* name, UINT style, WNDPROC procedure, HICON icon,
                                HCURSOR cursor) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = g_app.instance;
    windowClass.hIcon = icon;
    windowClass.hIconSm = icon;
    windowClass.hCursor = cursor;
    windowClass.lpszClassName = name;
    RegisterClassExW(&windowClass);
}

static void RegisterWindowClasses() {
    const HICON icon = LoadIconW(g_app.instance, MAKEINTRESOURCEW(ICON_ID));
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    RegisterWindowClass(CALENDAR_CLASS_NAME, 0, CalendarWndProc, icon, arrow);
    RegisterWindowClass(WIDGET_CLASS_NAME, CS_DBLCLKS, WidgetWndProc, icon, arrow);
}

// Both hidden; the calendar window's creation handler takes its own DPI, so the widget's size
// is scaled with that one.
static void CreateWindows() {
    g_app.calendarWindow = CreateWindowExW(
        0, CALENDAR_CLASS_NAME, CALENDAR_TITLE, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
        CW_USEDEFAULT, CW_USEDEFAULT, Scale(CALENDAR_WIDTH), Scale(CALENDAR_HEIGHT), nullptr,
        nullptr, g_app.instance, nullptr);
    g_app.widgetWindow = CreateWindowExW(WS_EX_TOOLWINDOW, WIDGET_CLASS_NAME, WIDGET_TITLE,
                                         WS_POPUP, 0, 0, Scale(WIDGET_WIDTH),
                                         Scale(WIDGET_HEIGHT), nullptr, nullptr, g_app.instance,
                                         nullptr);
}

// A complete stored date opens on its statistics (or the widget, when asked for and valid);
// an incomplete one opens the setup form, whatever the command line says.
static void ShowFirstWindow(const wchar_t* commandLine, int showCommand) {
    if (g_app.birthDay == 0 || g_app.birthMonth == 0 || g_app.birthYear == 0) {
        ShowWindow(g_app.calendarWindow, showCommand);
        EnterSetupMode();
        return;
    }
    ComputeLifeStats(g_app.birthDay, g_app.birthMonth, g_app.birthYear, g_app.calendarYears);
    LayoutEditControls();
    const bool widgetAsked = commandLine && wcsstr(commandLine, WIDGET_SWITCH) != nullptr;
    if (widgetAsked && g_app.stats.statsValid) {
        ShowWidget(true);
    } else {
        ShowWindow(g_app.calendarWindow, showCommand);
    }
}

// Every message, the widget's too, passes the calendar window's dialog keys first: Tab between
// the setup fields, Enter as IDOK.
static int RunMessageLoop() {
    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(g_app.calendarWindow, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

int AppMain(HINSTANCE instance, const wchar_t* commandLine, int showCommand) {
    // Libraries loaded at run time come from the system folder only, never from beside the
    // program or the current folder.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    g_app.instance = instance;
    HANDLE singleInstanceMutex = CreateMutexW(nullptr, TRUE, MUTEX_NAME);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        BringFirstInstanceForward();
        return 0;  // the handle goes with the process
    }
    BuildSettingsPath();
    LoadSettings();
    g_app.editBrush = CreateSolidBrush(COLOR_EDIT_BG);
    RegisterWindowClasses();
    g_app.dpi = static_cast<int32_t>(GetWindowDpi(nullptr));
    CreateWindows();
    ShowFirstWindow(commandLine, showCommand);
    UpdateWindow(g_app.calendarWindow);
    const int exitCode = RunMessageLoop();
    CloseHandle(singleInstanceMutex);
    return exitCode;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    return AppMain(instance, commandLine, showCommand);
}
