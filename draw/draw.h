// Drawing kit shared by both windows: DPI scale, palette, fonts, brand mark, corner accents,
// flat text buttons with the hit registry, and small GDI helpers whose objects live for one call.
#pragma once
#include <windows.h>

#include <cstdint>

#include "app/app.h"
#include "draw/pure.h"

// winuser.h names the desktop's system colour index COLOR_BACKGROUND (1); the program never
// asks for system colours, and the palette's name wins.
#undef COLOR_BACKGROUND
constexpr COLORREF COLOR_BACKGROUND = RGB(5, 6, 8);
constexpr COLORREF COLOR_BORDER = RGB(58, 65, 74);
constexpr COLORREF COLOR_ACCENT = RGB(255, 196, 0);
constexpr COLORREF COLOR_TEXT = RGB(242, 242, 240);
constexpr COLORREF COLOR_MUTED = RGB(154, 160, 166);
constexpr COLORREF COLOR_TRACK = RGB(23, 27, 32);
constexpr COLORREF COLOR_EDIT_BG = RGB(16, 19, 23);

// ---- Scale and fonts ---------------------------------------------------------------------
int32_t Scale(int32_t v);                // ScaleAt(v, g_app.dpi)
UINT GetWindowDpi(HWND window);          // window may be null: the screen's DPI
HFONT MakeFont(const wchar_t* face, int32_t size, int32_t weight, int32_t italic);
void CreateFonts();                      // replaces the seven shared fonts as a set

// ---- Scoped selection: the previous object goes back into the context at scope end -------
// A null or unselectable object selects nothing and restores nothing.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~ScopedSelect() {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// ---- One-call GDI helpers (each brush is created and deleted inside the call) --------------
void FillSolid(HDC dc, const RECT& rect, COLORREF color);
void FrameSolid(HDC dc, const RECT& rect, COLORREF color);
int32_t TextWidth(HDC dc, HFONT font, const wchar_t* text);  // selects font, measures
void DrawTextAt(HDC dc, int32_t x, int32_t y, HFONT font, COLORREF color, const wchar_t* text);

// ---- Off-screen painting --------------------------------------------------------------------
typedef void (*FrameDrawer)(HDC dc, int32_t width, int32_t height);
// draw into a fresh bitmap of width x height (transparent text background), then one copy to
// target at (0, 0); bitmap and memory context live for this call only.
void DrawOffscreen(HDC target, int32_t width, int32_t height, FrameDrawer draw);
// WM_PAINT for a window that covers every pixel itself: the whole client area off-screen.
void PaintOffscreen(HWND window, FrameDrawer draw);

// ---- Brand mark and corner accents ---------------------------------------------------------
void DrawBrandMark(HDC dc, int32_t x, int32_t y, HFONT font, int32_t height);
void DrawCornerAccents(HDC dc, const RECT& rect);

// ---- Buttons and hit registry --------------------------------------------------------------
// Draws a flat button at (x, y), appends it to g_app.hits (at most 16), returns its width.
int32_t DrawButton(HDC dc, int32_t x, int32_t y, const wchar_t* text, int32_t command,
                   bool selected);
// Index of the first entry containing the point (left/top inside, right/bottom outside), or -1.
int32_t HitTest(const HitRegistry& hits, int32_t x, int32_t y);
