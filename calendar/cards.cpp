// The three statistics cards with the summary sentence above the grid, and the legend of the
// three square colours on the bottom line.
#include "calendar/calendar.h"

#include "app/app.h"
#include "draw/draw.h"

constexpr int32_t CARD_BAR_WIDTH = 2;
constexpr int32_t CARD_BAR_HEIGHT = 52;
constexpr int32_t CARD_TEXT_INDENT = 10;
constexpr int32_t CARD_VALUE_OFFSET = 16;
constexpr int32_t SENTENCE_OFFSET = 66;

void DrawStatCards(HDC dc, int32_t contentLeft, int32_t contentWidth, int32_t y) {
    const ViewSummary summary = ViewSummaryFor(g_app.view, g_app.stats);
    wchar_t values[3][32];
    FormatCardValues(summary, values);

    const int32_t cardWidth = contentWidth / 3;
    for (int32_t i = 0; i < 3; ++i) {
        const int32_t x = contentLeft + i * cardWidth;
        FillSolid(dc, RECT{x, y, x + Scale(CARD_BAR_WIDTH), y + Scale(CARD_BAR_HEIGHT)},
                  COLOR_ACCENT);
        const int32_t textX = x + Scale(CARD_TEXT_INDENT);
        DrawTextAt(dc, textX, y, g_app.fontSmall, COLOR_MUTED, summary.cardLabels[i]);
        DrawTextAt(dc, textX, y + Scale(CARD_VALUE_OFFSET), g_app.fontFigure, COLOR_TEXT,
                   values[i]);
    }

    wchar_t sentence[SENTENCE_MAX];
    FormatSummarySentence(g_app.stats, summary.description, sentence);
    DrawTextAt(dc, contentLeft, y + Scale(SENTENCE_OFFSET), g_app.fontBody, COLOR_MUTED,
               sentence);
}

constexpr int32_t LEGEND_LINE = 26;
constexpr int32_t SWATCH_DROP = 2;
constexpr int32_t SWATCH_SIZE = 10;
constexpr int32_t SWATCH_OUTLINE_BOTTOM = 12;
constexpr int32_t LEGEND_LABEL_OFFSET = 16;
constexpr int32_t LEGEND_ENTRY_GAP = 22;

static const COLORREF LEGEND_COLORS[3] = {COLOR_ACCENT, COLOR_TEXT, COLOR_TRACK};

void DrawLegend(HDC dc, int32_t contentLeft, int32_t clientHeight) {
    const ViewSummary summary = ViewSummaryFor(g_app.view, g_app.stats);
    const int32_t y = clientHeight - Scale(LEGEND_LINE);
    int32_t x = contentLeft;
    for (int32_t i = 0; i < 3; ++i) {
        const int32_t top = y + Scale(SWATCH_DROP);
        FillSolid(dc, RECT{x, top, x + Scale(SWATCH_SIZE), top + Scale(SWATCH_SIZE)},
                  LEGEND_COLORS[i]);
        // The ahead swatch is outlined like an ahead square. Its bottom is scaled as one
        // length, so at some DPIs one row of the fill shows below the outline.
        if (i == 2)
            FrameSolid(dc, RECT{x, top, x + Scale(SWATCH_SIZE), y + Scale(SWATCH_OUTLINE_BOTTOM)},
                       COLOR_BORDER);
        const wchar_t* label = summary.legendLabels[i];
        DrawTextAt(dc, x + Scale(LEGEND_LABEL_OFFSET), y, g_app.fontSmall, COLOR_MUTED, label);
        x += Scale(LEGEND_LABEL_OFFSET) + TextWidth(dc, g_app.fontSmall, label) +
             Scale(LEGEND_ENTRY_GAP);
    }
}
