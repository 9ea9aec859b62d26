// The maker's mark (an amber parallelogram carrying "VOSK", then "TARNELLINE") and the amber
// L-shaped marks on two opposite corners of a rectangle.
#include "draw/draw.h"

static const wchar_t BRAND_FIRST_WORD[] = L"VOSK";
static const wchar_t BRAND_SECOND_WORD[] = L"TARNELLINE";

void DrawBrandMark(HDC dc, int32_t x, int32_t y, HFONT font, int32_t height) {
    const int32_t slant = height / 5;
    // The shape is as long as the first word is wide, so a wider font lengthens the mark.
    const int32_t length = TextWidth(dc, font, BRAND_FIRST_WORD) + Scale(14);
    const POINT corners[4] = {
        {x + slant, y},
        {x + length + slant, y},
        {x + length, y + height},
        {x, y + height},
    };
    HBRUSH brush = CreateSolidBrush(COLOR_ACCENT);
    HPEN noOutline = CreatePen(PS_NULL, 0, 0);
    {
        ScopedSelect selectBrush(dc, brush);
        ScopedSelect selectPen(dc, noOutline);
        Polygon(dc, corners, 4);
    }
    DeleteObject(noOutline);
    DeleteObject(brush);

    DrawTextAt(dc, x + Scale(8), y + Scale(1), font, COLOR_BACKGROUND, BRAND_FIRST_WORD);
    DrawTextAt(dc, corners[1].x + Scale(7), y + Scale(1), font, COLOR_TEXT, BRAND_SECOND_WORD);
}

void DrawCornerAccents(HDC dc, const RECT& rect) {
    const int32_t arm = Scale(9);
    const int32_t thickness = Scale(2);
    const RECT marks[4] = {
        {rect.left, rect.top, rect.left + arm, rect.top + thickness},
        {rect.left, rect.top, rect.left + thickness, rect.top + arm},
        {rect.right - arm, rect.bottom - thickness, rect.right, rect.bottom},
        {rect.right - thickness, rect.bottom - arm, rect.right, rect.bottom},
    };
    for (const RECT& mark : marks) FillSolid(dc, mark, COLOR_ACCENT);
}
