// The desktop widget: a small borderless tool window with the week of life and two bars.
#pragma once
#include <windows.h>

#include <cstdint>

constexpr UINT IDM_OPEN_CALENDAR = 201;
constexpr UINT IDM_ALWAYS_ON_TOP = 202;
constexpr UINT IDM_AUTOSTART = 203;
constexpr UINT IDM_EXIT = 204;

LRESULT CALLBACK WidgetWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// true: place and show the widget, hide the calendar window; false: the other way round.
void ShowWidget(bool show);
void DrawProgressBar(HDC dc, int32_t x, int32_t y, int32_t width, int32_t value, int32_t total,
                     const wchar_t* label);
// Where the widget goes: the saved place, or Scale(24) inside the work area's top-right corner.
POINT WidgetPlacement(int32_t savedX, int32_t savedY, const RECT& workArea, int32_t dpi);

// WM_PAINT: DrawWidgetFrame off-screen, then one copy to the window.
void PaintWidgetWindow(HWND window);
// Everything the widget's paint draws, into any surface whose background mode is transparent.
void DrawWidgetFrame(HDC dc, int32_t width, int32_t height);
// The context menu as it is at this moment (check marks from alwaysOnTop and the registry);
// the caller destroys it.
HMENU BuildWidgetMenu();
// What choosing a context menu item does; 0 (menu dismissed) and unknown ids do nothing.
void RunWidgetMenuCommand(UINT command);
