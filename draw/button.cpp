// Flat text buttons: pixels plus an entry in the hit registry, which the mouse handlers of the
// calendar window look points up in.
#include "draw/draw.h"

int32_t DrawButton(HDC dc, int32_t x, int32_t y, const wchar_t* text, int32_t command,
                   bool selected) {
    const int32_t width = TextWidth(dc, g_app.fontButton, text) + Scale(28);
    const RECT rect = {x, y, x + width, y + Scale(32)};
    HitRegistry& hits = g_app.hits;
    // The hovered index refers to the last frame, whose buttons were drawn in the same order.
    const bool highlighted = selected || g_app.hoverIndex == hits.count;

    COLORREF textColor = COLOR_TEXT;
    if (highlighted) {
        FillSolid(dc, rect, COLOR_ACCENT);
        textColor = COLOR_BACKGROUND;
    } else {
        FillSolid(dc, rect, COLOR_BACKGROUND);
        FrameSolid(dc, rect, COLOR_BORDER);
        DrawCornerAccents(dc, rect);
    }
    // The label is centred on the design height of its font, not on the measured one.
    DrawTextAt(dc, x + Scale(14), y + (Scale(32) - Scale(14)) / 2, g_app.fontButton, textColor,
               text);

    // A button beyond the sixteenth is drawn but can be neither hovered nor clicked.
    if (hits.count >= 0 && hits.count < HIT_REGISTRY_MAX) {
        hits.entries[hits.count] = {rect, command};
        ++hits.count;
    }
    return width;
}

int32_t HitTest(const HitRegistry& hits, int32_t x, int32_t y) {
    const POINT point = {x, y};
    const int32_t count = hits.count < HIT_REGISTRY_MAX ? hits.count : HIT_REGISTRY_MAX;
    for (int32_t i = 0; i < count; ++i)
        if (PtInRect(&hits.entries[i].rect, point)) return i;
    return -1;
}
