// The platform-free half of the calendar window: grid geometry, square states, row labels,
// the per-view summary and sentence, and the layout sums of the header row.
#pragma once
#include <cstdint>

#include "life/life.h"

enum CellState { CELL_NONE, CELL_LIVED, CELL_CURRENT, CELL_AHEAD };

struct GridGeometry {
    int32_t columns;
    int32_t rows;
    int32_t labelWidth;
    double pitch;
    int32_t cellSize;
    int32_t gridLeft;
    int32_t gridTop;
};

GridGeometry ComputeGridGeometry(int32_t view, int32_t yearsUsed, int32_t contentLeft,
                                 int32_t contentWidth, int32_t gridTop, int32_t availableHeight,
                                 int32_t dpi);
CellState CellStateAt(int32_t view, const LifeStats& stats, int32_t row, int32_t column);
// Writes the row's label into out (at least 8 units) and returns true, or returns false.
bool RowLabelAt(int32_t view, int32_t row, wchar_t* out);
// Left x of the square in the given column (rows likewise with SquareTop).
int32_t SquareLeft(const GridGeometry& g, int32_t column);
int32_t SquareTop(const GridGeometry& g, int32_t row);

struct ViewSummary {
    int32_t lived;
    int32_t total;
    const wchar_t* cardLabels[3];
    const wchar_t* legendLabels[3];
    const wchar_t* description;
};

ViewSummary ViewSummaryFor(int32_t view, const LifeStats& stats);
constexpr int SENTENCE_MAX = 200;
void FormatSummarySentence(const LifeStats& stats, const wchar_t* description, wchar_t* out);
// The three card texts (each 32 units): lived, still ahead, share elapsed.
void FormatCardValues(const ViewSummary& summary, wchar_t out[3][32]);
