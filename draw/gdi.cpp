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

void DrawOffscreen(HDC target, int32_t width, int32_t height, FrameDrawer draw) {
    HDC memoryDc = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, width, height);
    HGDIOBJ previousBitmap = SelectObject(memoryDc, bitmap);
    SetBkMode(memoryDc, TRANSPARENT);

    draw(memoryDc, width, height);
    BitBlt(target, 0, 0, width, height, memoryDc, 0, 0, SRCCOPY);

    SelectObject(memoryDc, previousBitmap);
    DeleteObject(bitmap);
    DeleteDC(memoryDc);
}

void PaintOffscreen(HWND window, FrameDrawer draw) {
    PAINTSTRUCT ps;
    HDC windowDc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    DrawOffscreen(windowDc, client.right, client.bottom, draw);
    EndPaint(window, &ps);
}
