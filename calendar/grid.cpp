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

static void FillSquares(HDC dc, const GridGeometry& g, int32_t row, const GridBrushes& brushes,
                        HFONT numberFont) {
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

// The state every square of the row shares, or CELL_NONE when they differ (or none is drawn).
static CellState UniformState(const GridGeometry& g, int32_t row) {
    const CellState first = CellStateAt(g_app.view, g_app.stats, row, 0);
    for (int32_t column = 1; column < g.columns; ++column)
        if (CellStateAt(g_app.view, g_app.stats, row, column) != first) return CELL_NONE;
    return first;
}

// True when no row label reaches past the label column into the squares, so a strip of squares
// holds nothing but squares and background.
static bool LabelsStayInTheirColumn(HDC dc, const GridGeometry& g) {
    wchar_t label[8];
    for (int32_t row = 0; row < g.rows; ++row)
        if (RowLabelAt(g_app.view, row, label) &&
            TextWidth(dc, g_app.fontSmall, label) > g.labelWidth)
            return false;
    return true;
}

bool g_gridCopiesRows = true;

// A row whose squares all look alike is a copy of the last such row: every row has its squares
// at the same x, so one BitBlt of that strip gives the pixels of its fills (a weeks grid of
// 120 years is a few dozen copies instead of 6,240 fills).
struct RowSources {
    bool enabled;
    int32_t rowOf[4];  // by CellState: a row drawn with fills whose squares all have it, or -1
};

static void DrawRowSquares(HDC dc, const GridGeometry& g, int32_t row,
                           const GridBrushes& brushes, HFONT numberFont, RowSources& sources) {
    const CellState uniform = sources.enabled ? UniformState(g, row) : CELL_NONE;
    if (uniform != CELL_NONE && sources.rowOf[uniform] >= 0) {
        const int32_t x = g.gridLeft + g.labelWidth;
        const int32_t width = SquareLeft(g, g.columns - 1) + g.cellSize - x;
        BitBlt(dc, x, SquareTop(g, row), width, g.cellSize, dc, x,
               SquareTop(g, sources.rowOf[uniform]), SRCCOPY);
        return;
    }
    FillSquares(dc, g, row, brushes, numberFont);
    if (uniform != CELL_NONE) sources.rowOf[uniform] = row;
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

    RowSources sources = {g_gridCopiesRows && !numberFont && LabelsStayInTheirColumn(dc, g),
                          {-1, -1, -1, -1}};
    for (int32_t row = 0; row < g.rows; ++row) {
        DrawRowLabel(dc, g, row);
        DrawRowSquares(dc, g, row, brushes, numberFont, sources);
    }

    if (numberFont) DeleteObject(numberFont);
    DeleteObject(brushes.lived);
    DeleteObject(brushes.current);
    DeleteObject(brushes.ahead);
    DeleteObject(brushes.outline);
}
