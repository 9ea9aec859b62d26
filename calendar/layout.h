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
int32_t NumberFontSize(int32_t view, int32_t cellSize, int32_t dpi);  // years view; 0: no numbers

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

// ---- Header row and vertical flow of the calendar window (calendar/flow.cpp) ----------------

struct ActionRow {
    int32_t settingsLeft;  // "AJUSTES"
    int32_t widgetLeft;    // "MODO WIDGET"
    int32_t top;
    bool wrapped;
};

// tabsEnd: x after the last tab and its trailing gap; the widths are the buttons' own widths.
ActionRow ComputeActionRow(int32_t tabsEnd, int32_t clientWidth, int32_t settingsWidth,
                           int32_t widgetWidth, int32_t dpi);

struct BodyFlow {
    int32_t bodyTop;
    int32_t sentenceTop;
    int32_t gridTop;
    int32_t availableHeight;
    int32_t bottomLine;  // legend and footer
};

BodyFlow ComputeBodyFlow(int32_t actionRowTop, int32_t clientHeight, int32_t dpi);
