// The setup form: four native edit fields plus a panel drawn by the calendar paint. It closes
// only through a valid commit; what is typed is validated on every change.
#include "calendar/calendar.h"

#include "app/app.h"
#include "draw/draw.h"

constexpr int SETUP_FIELD_TEXT_MAX = 16;  // UTF-16 units, terminator included
constexpr DWORD SETUP_FIELD_STYLE =
    WS_CHILD | WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL | ES_CENTER;

struct SetupField {
    HWND AppState::*handle;
    int32_t left;   // design units
    int32_t width;  // design units
    const wchar_t* label;
};

static const SetupField SETUP_FIELDS[4] = {
    {&AppState::editDay, 24, 56, L"D\u00CDA"},
    {&AppState::editMonth, 88, 56, L"MES"},
    {&AppState::editYear, 152, 84, L"A\u00D1O"},
    {&AppState::editYears, 276, 70, L"A\u00D1OS DEL CALENDARIO"},
};
constexpr int32_t FIELD_TOP = 180;
constexpr int32_t FIELD_HEIGHT = 34;
constexpr int32_t LABEL_TOP = 160;

HWND CreateEditControl(HWND parent, int id, int limit) {
    HWND field = CreateWindowExW(0, L"EDIT", L"", SETUP_FIELD_STYLE, 0, 0, 10, 10, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 g_app.instance, nullptr);
    SendMessageW(field, EM_LIMITTEXT, static_cast<WPARAM>(limit), 0);
    return field;
}

void LayoutEditControls() {
    const int32_t y = Scale(FIELD_TOP);
    const int32_t height = Scale(FIELD_HEIGHT);
    for (const SetupField& f : SETUP_FIELDS)
        MoveWindow(g_app.*f.handle, Scale(f.left), y, Scale(f.width), height, TRUE);
    for (const SetupField& f : SETUP_FIELDS)
        ShowWindow(g_app.*f.handle, g_app.setupMode ? SW_SHOW : SW_HIDE);
}

// A stored 0 day, month or year shows as an empty field; the calendar years always show.
static void FillField(HWND field, int32_t value, bool emptyWhenZero) {
    wchar_t text[SETUP_FIELD_TEXT_MAX] = {};
    if (value != 0 || !emptyWhenZero) FormatText(text, SETUP_FIELD_TEXT_MAX, L"%d", value);
    SetWindowTextW(field, text);
}

void EnterSetupMode() {
    // Set first: filling a field notifies the window, which validates only in setup mode.
    g_app.setupMode = 1;
    FillField(g_app.editDay, g_app.birthDay, true);
    FillField(g_app.editMonth, g_app.birthMonth, true);
    FillField(g_app.editYear, g_app.birthYear, true);
    FillField(g_app.editYears, g_app.calendarYears, false);
    LayoutEditControls();
    SetFocus(g_app.editDay);
    RecomputeStats();
    RepaintBothWindows();
}

void CommitSetup() {
    const int32_t day = ReadSetupField(g_app.editDay);
    const int32_t month = ReadSetupField(g_app.editMonth);
    const int32_t year = ReadSetupField(g_app.editYear);
    const int32_t years = ReadSetupField(g_app.editYears);
    ComputeLifeStats(day, month, year, years);
    if (g_app.stats.statsValid) {
        g_app.birthDay = day;
        g_app.birthMonth = month;
        g_app.birthYear = year;
        g_app.calendarYears = years;
        WriteSetting(L"dia", day);
        WriteSetting(L"mes", month);
        WriteSetting(L"anio", year);
        WriteSetting(L"vida", years);
        g_app.setupMode = 0;
        LayoutEditControls();
        SetFocus(g_app.calendarWindow);
    }
    RepaintBothWindows();
}

void DrawSetupPanel(HDC dc) {
    const int32_t m = Scale(24);
    for (const SetupField& f : SETUP_FIELDS)
        DrawTextAt(dc, Scale(f.left), Scale(LABEL_TOP), g_app.fontSmall, COLOR_MUTED, f.label);

    DrawButton(dc, Scale(370), Scale(FIELD_TOP) + Scale(1), L"> LISTO", CMD_DONE, false);

    const int32_t statusTop = Scale(238);
    if (g_app.stats.statsValid)
        DrawTextAt(dc, m, statusTop, g_app.fontBody, COLOR_MUTED,
                   L"Fecha v\u00E1lida. Toca LISTO para guardarla.");
    else
        DrawTextAt(dc, m, statusTop, g_app.fontBody, COLOR_ACCENT, g_app.stats.message);

    const int32_t noteTop = statusTop + Scale(40);
    DrawTextAt(dc, m, noteTop, g_app.fontBody, COLOR_MUTED,
               L"Se configura una sola vez: despu\u00E9s el calendario se actualiza solo cada "
               L"d\u00EDa.");

    const int32_t checkTop = noteTop + Scale(34);
    DrawButton(dc, m, checkTop,
               IsAutostartEnabled() ? L"[X] INICIAR CON WINDOWS (WIDGET)"
                                    : L"[ ] INICIAR CON WINDOWS (WIDGET)",
               CMD_TOGGLE_AUTOSTART, false);
}
