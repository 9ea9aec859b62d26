// Grid geometry, square states, row labels and the per-view summary of the calendar window.
// Everything here is plain arithmetic and text, so the painter only turns results into GDI.
#include "calendar/layout.h"

#include "draw/pure.h"

// The ViewKind values of app/app.h, which a platform-free file cannot include.
enum : int32_t { WEEKS = 0, MONTHS = 1, YEARS = 2, THIS_YEAR = 3 };

// ---- Per-view grid table -------------------------------------------------------------------

struct GridView {
    int32_t columns;
    int32_t labelColumn;  // design units
    double cellFactor;    // share of the pitch the square covers; the rest is the gap
};

static const GridView GRID_VIEWS[4] = {
    {52, 28, 0.78},  // VIEW_WEEKS: a row is a year of life
    {36, 28, 0.78},  // VIEW_MONTHS: a row is three years
    {10, 28, 0.9},   // VIEW_YEARS: a row is a decade
    {31, 34, 0.78},  // VIEW_THIS_YEAR: a row is a month; "ENE" needs the wider column
};

// Stored or hand-edited view values outside the four views show the weeks.
static int32_t KnownView(int32_t view) {
    return view == MONTHS || view == YEARS || view == THIS_YEAR ? view : WEEKS;
}

// Rows needed to hold every unit of the calendar: a ceiling division.
static int32_t RowsOf(int32_t view, int32_t yearsUsed) {
    switch (view) {
        case MONTHS: return (yearsUsed * 12 + 35) / 36;
        case YEARS: return (yearsUsed + 9) / 10;
        case THIS_YEAR: return 12;
        default: return yearsUsed;
    }
}

constexpr double PITCH_WHOLE_FROM = 3.0;  // from here on squares sit on whole pixels
constexpr double PITCH_MIN = 2.0;         // below this squares would touch

GridGeometry ComputeGridGeometry(int32_t view, int32_t yearsUsed, int32_t contentLeft,
                                 int32_t contentWidth, int32_t gridTop, int32_t availableHeight,
                                 int32_t dpi) {
    view = KnownView(view);
    const GridView& v = GRID_VIEWS[view];
    GridGeometry g;
    g.columns = v.columns;
    g.rows = RowsOf(view, yearsUsed);
    g.labelWidth = ScaleAt(v.labelColumn, dpi);
    g.gridTop = gridTop;

    const int32_t gridWidth = contentWidth - g.labelWidth;
    double pitch = static_cast<double>(gridWidth) / g.columns;
    // The tighter of width and height decides; a grid without rows has no height to fit.
    if (g.rows > 0 && pitch * g.rows > static_cast<double>(availableHeight))
        pitch = static_cast<double>(availableHeight) / g.rows;
    // Large squares on whole pixels keep every gap equal; small ones keep the fraction so a
    // long calendar still fits.
    if (pitch >= PITCH_WHOLE_FROM) pitch = static_cast<double>(static_cast<int32_t>(pitch));
    if (pitch < PITCH_MIN) pitch = PITCH_MIN;
    g.pitch = pitch;

    const int32_t squaresWidth = static_cast<int32_t>(g.columns * pitch);
    g.gridLeft = contentLeft + (gridWidth - squaresWidth) / 2;
    const int32_t cell = static_cast<int32_t>(v.cellFactor * pitch);
    g.cellSize = cell < 1 ? 1 : cell;
    return g;
}

int32_t SquareLeft(const GridGeometry& g, int32_t column) {
    return g.gridLeft + g.labelWidth + static_cast<int32_t>(column * g.pitch);
}

int32_t SquareTop(const GridGeometry& g, int32_t row) {
    return g.gridTop + static_cast<int32_t>(row * g.pitch);
}

constexpr int32_t NUMBER_MIN_CELL = 22;  // design units: smaller squares get no numbers

int32_t NumberFontSize(int32_t view, int32_t cellSize, int32_t dpi) {
    if (KnownView(view) != YEARS || cellSize < ScaleAt(NUMBER_MIN_CELL, dpi) || dpi <= 0)
        return 0;
    // About 38 % of the square, rounded as MulDiv rounds, then back to design units so the
    // font factory's own scaling lands near that pixel height again.
    const int64_t glyph = (static_cast<int64_t>(cellSize) * 38 + 50) / 100;
    return static_cast<int32_t>(glyph * 96 / dpi);
}

// ---- Square states -------------------------------------------------------------------------

static CellState StateOfIndex(int32_t index, int32_t lived, int32_t total) {
    if (index >= total) return CELL_NONE;
    if (index < lived) return CELL_LIVED;
    if (index == lived) return CELL_CURRENT;
    return CELL_AHEAD;
}

static CellState StateOfDay(const LifeStats& stats, int32_t row, int32_t column) {
    const int32_t month = row + 1, day = column + 1;
    // Positions outside the twelve rows and 31 columns hold no day (and no month-table entry).
    if (month < 1 || month > 12 || day < 1) return CELL_NONE;
    if (day > DaysInMonth(stats.todayYear, month)) return CELL_NONE;
    if (month != stats.todayMonth) return month < stats.todayMonth ? CELL_LIVED : CELL_AHEAD;
    if (day < stats.todayDay) return CELL_LIVED;
    return day == stats.todayDay ? CELL_CURRENT : CELL_AHEAD;
}

CellState CellStateAt(int32_t view, const LifeStats& stats, int32_t row, int32_t column) {
    view = KnownView(view);
    if (view == THIS_YEAR) return StateOfDay(stats, row, column);
    const int32_t index = row * GRID_VIEWS[view].columns + column;
    switch (view) {
        case MONTHS: return StateOfIndex(index, stats.monthsLived, stats.yearsUsed * 12);
        case YEARS: return StateOfIndex(index, stats.ageYears, stats.yearsUsed);
        default: return StateOfIndex(index, stats.weeksLived, stats.yearsUsed * 52);
    }
}

// ---- Row labels ----------------------------------------------------------------------------

static const wchar_t* const MONTH_ABBREVIATIONS[12] = {
    L"ENE", L"FEB", L"MAR", L"ABR", L"MAY", L"JUN",
    L"JUL", L"AGO", L"SEP", L"OCT", L"NOV", L"DIC",
};

constexpr size_t ROW_LABEL_MAX = 8;

bool RowLabelAt(int32_t view, int32_t row, wchar_t* out) {
    switch (KnownView(view)) {
        case THIS_YEAR:
            if (row < 0 || row > 11) return false;
            FormatText(out, ROW_LABEL_MAX, L"%ls", MONTH_ABBREVIATIONS[row]);
            return true;
        case YEARS:
            FormatText(out, ROW_LABEL_MAX, L"%d", row * 10);
            return true;
        case MONTHS:
            // Every fifth row: a label on each row would not fit beside small squares.
            if (row % 5 != 0) return false;
            FormatText(out, ROW_LABEL_MAX, L"%d", row * 3);
            return true;
        default:
            if (row % 5 != 0) return false;
            FormatText(out, ROW_LABEL_MAX, L"%d", row);
            return true;
    }
}

// ---- Summary of a view ---------------------------------------------------------------------

struct SummaryTexts {
    const wchar_t* cardLabels[3];
    const wchar_t* legendLabels[3];
    const wchar_t* description;
};

static const SummaryTexts SUMMARY_TEXTS[4] = {
    {{L"SEMANAS VIVIDAS", L"SEMANAS POR VIVIR", L"VIVIDO"},
     {L"SEMANA VIVIDA", L"ESTA SEMANA", L"POR VIVIR"},
     L"Cada cuadro es una semana; cada fila, un a\u00F1o de tu vida."},
    {{L"MESES VIVIDOS", L"MESES POR VIVIR", L"VIVIDO"},
     {L"MES VIVIDO", L"ESTE MES", L"POR VIVIR"},
     L"Cada cuadro es un mes; cada fila, tres a\u00F1os de tu vida."},
    {{L"A\u00D1OS VIVIDOS", L"A\u00D1OS POR VIVIR", L"VIVIDO"},
     {L"A\u00D1O VIVIDO", L"ESTE A\u00D1O DE VIDA", L"POR VIVIR"},
     L"Cada cuadro es un a\u00F1o de tu vida; cada fila, una d\u00E9cada."},
    {{L"D\u00CDAS PASADOS", L"D\u00CDAS POR DELANTE", L"DEL A\u00D1O"},
     {L"D\u00CDA PASADO", L"HOY", L"POR DELANTE"},
     L"Cada cuadro es un d\u00EDa de este a\u00F1o; cada fila, un mes."},
};

ViewSummary ViewSummaryFor(int32_t view, const LifeStats& stats) {
    view = KnownView(view);
    ViewSummary s;
    switch (view) {
        case MONTHS: s.lived = stats.monthsLived; s.total = stats.yearsUsed * 12; break;
        case YEARS: s.lived = stats.ageYears; s.total = stats.yearsUsed; break;
        case THIS_YEAR: s.lived = stats.dayOfYear - 1; s.total = stats.daysInYear; break;
        default: s.lived = stats.weeksLived; s.total = stats.yearsUsed * 52; break;
    }
    const SummaryTexts& t = SUMMARY_TEXTS[view];
    for (int i = 0; i < 3; ++i) {
        s.cardLabels[i] = t.cardLabels[i];
        s.legendLabels[i] = t.legendLabels[i];
    }
    s.description = t.description;
    return s;
}

void FormatSummarySentence(const LifeStats& stats, const wchar_t* description, wchar_t* out) {
    FormatText(out, SENTENCE_MAX, L"Tienes %d %ls y %d %ls. %ls", stats.ageYears,
               stats.ageYears == 1 ? L"a\u00F1o" : L"a\u00F1os", stats.weeksIntoYear,
               stats.weeksIntoYear == 1 ? L"semana" : L"semanas", description);
}

void FormatCardValues(const ViewSummary& summary, wchar_t out[3][32]) {
    FormatGrouped(out[0], summary.lived);
    // The current unit is neither lived nor ahead, like the current square of the grid.
    FormatGrouped(out[1], summary.total - summary.lived - 1);
    const double share =
        summary.total > 0 ? static_cast<double>(summary.lived) * 100.0 / summary.total : 0.0;
    FormatPercent(out[2], share);
}
