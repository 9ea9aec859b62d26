// The calendar window: its window procedure and commands, the setup form and the painting.
#pragma once
#include <windows.h>

#include <cstdint>

#include "calendar/layout.h"

enum CommandId : uint32_t {
    CMD_VIEW_WEEKS = 1,
    CMD_VIEW_MONTHS = 2,
    CMD_VIEW_YEARS = 3,
    CMD_VIEW_THIS_YEAR = 4,
    CMD_SETTINGS = 5,
    CMD_WIDGET_MODE = 6,
    CMD_DONE = 7,
    CMD_TOGGLE_AUTOSTART = 8,
};

constexpr int IDC_DAY = 101;
constexpr int IDC_MONTH = 102;
constexpr int IDC_YEAR = 103;
constexpr int IDC_YEARS = 104;
constexpr UINT_PTR TIMER_DAY_CHECK = 1;
constexpr UINT DAY_CHECK_PERIOD_MS = 60000;

LRESULT CALLBACK CalendarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void RunCommand(uint32_t command);

// Setup form.
HWND CreateEditControl(HWND parent, int id, int limit);
void LayoutEditControls();
void EnterSetupMode();
void CommitSetup();
void DrawSetupPanel(HDC dc);

// Painting.
void PaintCalendarWindow(HWND window);
// Everything the paint draws, into any surface whose background mode is transparent; also
// rebuilds the hit registry.
void DrawCalendarFrame(HDC dc, int32_t width, int32_t height);
// Rows whose squares all look alike are copied from the first such row; false draws every
// square with its own fill (the pixels are the same; tests compare the two).
extern bool g_gridCopiesRows;
void DrawLifeGrid(HDC dc, int32_t contentLeft, int32_t contentWidth, int32_t gridTop,
                  int32_t availableHeight);
void DrawStatCards(HDC dc, int32_t contentLeft, int32_t contentWidth, int32_t y);
void DrawLegend(HDC dc, int32_t contentLeft, int32_t clientHeight);
