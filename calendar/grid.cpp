// The life grid: one square per week, month or year of life, or per day of this year. The
// weeks view of a long calendar has thousands of squares on every hover repaint, so the
// brushes and the number font are made once per grid, never per square.
#include "calendar/calendar.h"

#include <cwchar>

#include "app/app.h"
#include "draw/draw.h"

struct GridBrushes {
    HBRUSH lived, current, ahead, outline;
};

static HBRUSH BrushFor(const GridBrushes& brushes, CellState state) {
    switch (state) {
        case CELL_LIVED: return brushes.lived;
        case CELL_CURRENT: return brushes.current;
        default: return brushes.ahead;
    }
}

static void DrawRowLabel(HDC dc, const GridGeometry& g, int32_t row) {
    wchar_t label[8];
    if (!RowLabelAt(g_app.view, row, label)) return;
    // Roughly centred on the row's squares: fontSmall is about twice Scale(6) tall.
    const int32_t y = SquareTop(g, row) + g.cellSize / 2 - Scale(6);
    DrawTextAt(dc, g.gridLeft, y, g_app.fontSmall, COLOR_MUTED, label);
}

// The year of life a years-view square stands for, centred in the square.
static void DrawSquareNumber(HDC dc, RECT square, int32_t number, CellState state) {
    wchar_t text[12];
    const int length = FormatText(text, 12, L"%d", number);
    SetTextColor(dc, state == CELL_AHEAD ? COLOR_MUTED : COLOR_BACKGROUND);
    DrawTextW(dc, text, length, &square, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

static void DrawRowSquares(HDC dc, const GridGeometry& g, int32_t row,
                           const GridBrushes& brushes, HFONT numberFont) {
    const bool outlined = g.cellSize >= Scale(5);
    ScopedSelect selectFont(dc, numberFont);
    const int32_t top = SquareTop(g, row);
    for (int32_t column = 0; column < g.columns; ++column) {
        const CellState state = CellStateAt(g_app.view, g_app.stats, row, column);
        if (state == CELL_NONE) continue;
        const int32_t left = SquareLeft(g, column);
        const RECT square = {left, top, left + g.cellSize, top + g.cellSize};
        FillRect(dc, &square, BrushFor(brushes, state));
        if (state == CELL_AHEAD && outlined) FrameRect(dc, &square, brushes.outline);
        if (numberFont) DrawSquareNumber(dc, square, row * g.columns + column, state);
    }
}

void DrawLifeGrid(HDC dc, int32_t contentLeft, int32_t contentWidth, int32_t gridTop,
                  int32_t availableHeight) {
    const GridGeometry g =
        ComputeGridGeometry(g_app.view, g_app.stats.yearsUsed, contentLeft, contentWidth,
                            gridTop, availableHeight, g_app.dpi);
    const GridBrushes brushes = {CreateSolidBrush(COLOR_ACCENT), CreateSolidBrush(COLOR_TEXT),
                                 CreateSolidBrush(COLOR_TRACK), CreateSolidBrush(COLOR_BORDER)};
    const int32_t numberSize = NumberFontSize(g_app.view, g.cellSize, g_app.dpi);
    HFONT numberFont = numberSize > 0 ? MakeFont(L"Consolas", numberSize, 400, 0) : nullptr;

    for (int32_t row = 0; row < g.rows; ++row) {
        DrawRowLabel(dc, g, row);
        DrawRowSquares(dc, g, row, brushes, numberFont);
    }

    if (numberFont) DeleteObject(numberFont);
    DeleteObject(brushes.lived);
    DeleteObject(brushes.current);
    DeleteObject(brushes.ahead);
    DeleteObject(brushes.outline);
}
