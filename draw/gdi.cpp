// Fills, frames and text whose GDI objects live for exactly one call.
#include "draw/draw.h"

#include <cwchar>

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void FrameSolid(HDC dc, const RECT& rect, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FrameRect(dc, &rect, brush);
    DeleteObject(brush);
}

int32_t TextWidth(HDC dc, HFONT font, const wchar_t* text) {
    ScopedSelect selectFont(dc, font);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
    return size.cx;
}

void DrawTextAt(HDC dc, int32_t x, int32_t y, HFONT font, COLORREF color, const wchar_t* text) {
    ScopedSelect selectFont(dc, font);
    SetTextColor(dc, color);
    TextOutW(dc, x, y, text, static_cast<int>(wcslen(text)));
}
