// The calendar window's grid geometry, square states, row labels, card texts and sentence.
#include <gtest/gtest.h>

#include <string>

#include "calendar/layout.h"
#include "life/life.h"

enum { WEEKS = 0, MONTHS = 1, YEARS = 2, THIS_YEAR = 3 };

// ---- Geometry ---------------------------------------------------------------------------------

TEST(GridGeometry, FitsTheTighterDirectionWithTheRoundingRulesOfEachPitch) {
    const struct {
        const char* name;
        int view, years, left, width, top, avail, dpi;
        int columns, rows, labelWidth;
        double pitch;
        int cellSize, gridLeft;
    } cases[] = {
        // The window of 1100 x 760 at 96 dpi: content 24..1076, grid from 254, 470 high.
        {"weeks", WEEKS, 90, 24, 1052, 254, 470, 96, 52, 90, 28, 5.0, 3, 406},
        {"months", MONTHS, 90, 24, 1052, 254, 470, 96, 36, 30, 28, 15.0, 11, 266},
        {"years", YEARS, 90, 24, 1052, 254, 470, 96, 10, 9, 28, 52.0, 46, 276},
        {"this year: the width decides", THIS_YEAR, 90, 24, 1052, 254, 470, 96, 31, 12, 34, 32.0,
         24, 37},
        {"view out of range", 7, 90, 24, 1052, 254, 470, 96, 52, 90, 28, 5.0, 3, 406},
        {"view negative", -1, 90, 24, 1052, 254, 470, 96, 52, 90, 28, 5.0, 3, 406},
        // Below 3 the fraction stays; 3.5 is cut to 3; 1.67 is raised to 2 and overflows.
        {"120 years, pitch 2.5", WEEKS, 120, 24, 1052, 254, 300, 96, 52, 120, 28, 2.5, 1, 471},
        {"120 years, pitch 2.9", WEEKS, 120, 24, 1052, 254, 348, 96, 52, 120, 28, 2.9, 2, 461},
        {"120 years, pitch 3.5", WEEKS, 120, 24, 1052, 254, 420, 96, 52, 120, 28, 3.0, 2, 458},
        {"120 years, pitch raised", WEEKS, 120, 24, 1052, 254, 200, 96, 52, 120, 28, 2.0, 1, 484},
        // Squares wider than the content: the halving truncates toward zero (-31 / 2 = -15).
        {"too narrow", WEEKS, 90, 24, 101, 254, 470, 96, 52, 90, 28, 2.0, 1, 9},
        {"negative height", WEEKS, 90, 24, 1052, 254, -40, 96, 52, 90, 28, 2.0, 1, 484},
        // 120 dpi: the label column is Scale(28) = 35; 637 / 90 = 7.08 -> 7.
        {"weeks at 120 dpi", WEEKS, 90, 30, 1240, 318, 637, 120, 52, 90, 35, 7.0, 5, 450},
        {"this year at 120 dpi", THIS_YEAR, 90, 30, 1240, 318, 637, 120, 31, 12, 43, 38.0, 29,
         39},
        // Ceiling row counts.
        {"months, 91 years", MONTHS, 91, 24, 1052, 254, 470, 96, 36, 31, 28, 15.0, 11, 266},
        {"months, 1 year", MONTHS, 1, 24, 1052, 254, 470, 96, 36, 1, 28, 28.0, 21, 32},
        {"years, 95 years", YEARS, 95, 24, 1052, 254, 470, 96, 10, 10, 28, 47.0, 42, 301},
        {"years, 1 year", YEARS, 1, 24, 1052, 254, 470, 96, 10, 1, 28, 102.0, 91, 26},
    };
    for (const auto& c : cases) {
        const GridGeometry g =
            ComputeGridGeometry(c.view, c.years, c.left, c.width, c.top, c.avail, c.dpi);
        EXPECT_EQ(g.columns, c.columns) << c.name;
        EXPECT_EQ(g.rows, c.rows) << c.name;
        EXPECT_EQ(g.labelWidth, c.labelWidth) << c.name;
        EXPECT_DOUBLE_EQ(g.pitch, c.pitch) << c.name;
        EXPECT_EQ(g.cellSize, c.cellSize) << c.name;
        EXPECT_EQ(g.gridLeft, c.gridLeft) << c.name;
        EXPECT_EQ(g.gridTop, c.top) << c.name;
    }
}

TEST(GridGeometry, SquaresSitAtTruncatedMultiplesOfThePitch) {
    const GridGeometry fraction = ComputeGridGeometry(WEEKS, 120, 24, 1052, 254, 300, 96);
    const int offsets[] = {0, 2, 5, 7, 10, 12};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(SquareLeft(fraction, i), 471 + 28 + offsets[i]) << i;
        EXPECT_EQ(SquareTop(fraction, i), 254 + offsets[i]) << i;
    }
    EXPECT_EQ(SquareLeft(fraction, 51), 499 + 127);

    // Raised to pitch 2: 120 rows take 240 pixels, 40 more than the 200 available.
    const GridGeometry raised = ComputeGridGeometry(WEEKS, 120, 24, 1052, 254, 200, 96);
    EXPECT_EQ(SquareTop(raised, 119) + 2 - 254, 240);

    const GridGeometry weeks = ComputeGridGeometry(WEEKS, 90, 24, 1052, 254, 470, 96);
    EXPECT_EQ(SquareLeft(weeks, 0), 434);
    EXPECT_EQ(SquareTop(weeks, 7), 254 + 35);
}

TEST(GridGeometry, NumberFontOnlyForLargeYearSquares) {
    const struct { int view, cellSize, dpi, size; } cases[] = {
        {YEARS, 46, 96, 17},   // MulDiv(46, 38, 100) = 17
        {YEARS, 59, 144, 14},  // trunc(22 * 96 / 144)
        {YEARS, 22, 96, 8},    // the smallest square with numbers
        {YEARS, 21, 96, 0},
        {YEARS, 25, 96, 10},   // 9.5 rounds away from zero
        {YEARS, 28, 120, 8},   // Scale(22) = 28 at 120 dpi: 11 * 96 / 120 = 8.8
        {YEARS, 27, 120, 0},
        {WEEKS, 46, 96, 0},
        {MONTHS, 46, 96, 0},
        {THIS_YEAR, 46, 96, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NumberFontSize(c.view, c.cellSize, c.dpi), c.size)
            << c.view << " " << c.cellSize << " at " << c.dpi;
}

// ---- Square states ----------------------------------------------------------------------------

static LifeStats StatsOn(int day, int month, int year, int years, LocalDate today) {
    LifeStats s = {};
    ComputeLifeStatsFor(&s, day, month, year, years, today);
    return s;
}

static int CountState(int view, const LifeStats& s, int rows, int columns, CellState state) {
    int n = 0;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) n += CellStateAt(view, s, r, c) == state;
    return n;
}

TEST(CellState, CountedViewsSplitAtTheCurrentUnitAndEndWithEmptyTails) {
    LifeStats s = {};
    s.yearsUsed = 91;
    s.ageYears = 36;
    s.weeksIntoYear = 3;
    s.weeksLived = 36 * 52 + 3;
    s.monthsLived = 36 * 12 + 5;
    const struct { int view, row, column; CellState state; } cases[] = {
        {WEEKS, 0, 0, CELL_LIVED},     {WEEKS, 36, 2, CELL_LIVED},   {WEEKS, 36, 3, CELL_CURRENT},
        {WEEKS, 36, 4, CELL_AHEAD},    {WEEKS, 90, 51, CELL_AHEAD},  {WEEKS, 91, 0, CELL_NONE},
        {9, 36, 3, CELL_CURRENT},      {-3, 36, 4, CELL_AHEAD},
        {MONTHS, 12, 0, CELL_LIVED},   {MONTHS, 12, 4, CELL_LIVED},  {MONTHS, 12, 5, CELL_CURRENT},
        {MONTHS, 12, 6, CELL_AHEAD},   {MONTHS, 30, 11, CELL_AHEAD}, {MONTHS, 30, 12, CELL_NONE},
        {MONTHS, 30, 35, CELL_NONE},
        {YEARS, 3, 5, CELL_LIVED},     {YEARS, 3, 6, CELL_CURRENT},  {YEARS, 3, 7, CELL_AHEAD},
        {YEARS, 9, 0, CELL_AHEAD},     {YEARS, 9, 1, CELL_NONE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CellStateAt(c.view, s, c.row, c.column), c.state)
            << c.view << " r" << c.row << " c" << c.column;

    // Months with 91 years: 31 rows, the last holding 12 squares and 24 empty positions.
    EXPECT_EQ(CountState(MONTHS, s, 31, 36, CELL_NONE), 24);
    // Years with 95: the tenth row has 5 squares.
    s.yearsUsed = 95;
    EXPECT_EQ(CountState(YEARS, s, 10, 10, CELL_NONE), 5);
    EXPECT_EQ(CellStateAt(YEARS, s, 9, 4), CELL_AHEAD);
    EXPECT_EQ(CellStateAt(YEARS, s, 9, 5), CELL_NONE);
}

// weeksIntoYear never reaches 52, so on every day the current week is row ageYears, column
// weeksIntoYear, and it is the only current square of the grid.
TEST(CellState, TheCurrentWeekIsAlwaysInsideTheWeeksGrid) {
    const LocalDate birthdays[] = {{1990, 3, 10}, {2000, 2, 29}, {2023, 12, 31}};
    for (const LocalDate& b : birthdays)
        for (int32_t year = 2024; year <= 2025; ++year)
            for (int32_t month = 1; month <= 12; ++month)
                for (int32_t day = 1; day <= DaysInMonth(year, month); ++day) {
                    const LocalDate today = {year, month, day};
                    const LifeStats s = StatsOn(b.day, b.month, b.year, 90, today);
                    ASSERT_TRUE(s.statsValid) << year << "-" << month << "-" << day;
                    ASSERT_EQ(CellStateAt(WEEKS, s, s.ageYears, s.weeksIntoYear), CELL_CURRENT)
                        << year << "-" << month << "-" << day;
                    ASSERT_EQ(CountState(WEEKS, s, 90, 52, CELL_CURRENT), 1);
                    ASSERT_EQ(CountState(MONTHS, s, 30, 36, CELL_CURRENT), 1);
                }
}

TEST(CellState, ThisYearHasOneRowPerMonthWithItsOwnLength) {
    LifeStats leap = {};
    leap.todayYear = 2024;
    leap.todayMonth = 6;
    leap.todayDay = 15;
    LifeStats common = leap;
    common.todayYear = 2025;
    const int leapLengths[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int r = 0; r < 12; ++r) {
        int leapSquares = 0, commonSquares = 0;
        for (int c = 0; c < 31; ++c) {
            leapSquares += CellStateAt(THIS_YEAR, leap, r, c) != CELL_NONE;
            commonSquares += CellStateAt(THIS_YEAR, common, r, c) != CELL_NONE;
        }
        EXPECT_EQ(leapSquares, leapLengths[r]) << "row " << r;
        EXPECT_EQ(commonSquares, r == 1 ? 28 : leapLengths[r]) << "row " << r;
    }

    const struct { int month, day, row, column; CellState state; } cases[] = {
        {6, 15, 4, 30, CELL_LIVED},    {6, 15, 5, 13, CELL_LIVED},  {6, 15, 5, 14, CELL_CURRENT},
        {6, 15, 5, 15, CELL_AHEAD},    {6, 15, 6, 0, CELL_AHEAD},   {6, 15, 5, 30, CELL_NONE},
        {1, 1, 0, 0, CELL_CURRENT},    {1, 1, 0, 1, CELL_AHEAD},    {1, 1, 11, 30, CELL_AHEAD},
        {12, 31, 0, 0, CELL_LIVED},    {12, 31, 11, 29, CELL_LIVED}, {12, 31, 11, 30, CELL_CURRENT},
        // Positions outside the twelve months and 31 days hold nothing.
        {6, 15, 12, 0, CELL_NONE},     {6, 15, -1, 0, CELL_NONE},   {6, 15, 0, 31, CELL_NONE},
        {6, 15, 0, -1, CELL_NONE},
    };
    for (const auto& c : cases) {
        LifeStats s = common;
        s.todayMonth = c.month;
        s.todayDay = c.day;
        EXPECT_EQ(CellStateAt(THIS_YEAR, s, c.row, c.column), c.state)
            << c.month << "/" << c.day << " r" << c.row << " c" << c.column;
    }
    // 1 January: one current square, the rest ahead; 31 December: the reverse.
    LifeStats s = common;
    s.todayMonth = 1;
    s.todayDay = 1;
    EXPECT_EQ(CountState(THIS_YEAR, s, 12, 31, CELL_AHEAD), 364);
    s.todayMonth = 12;
    s.todayDay = 31;
    EXPECT_EQ(CountState(THIS_YEAR, s, 12, 31, CELL_LIVED), 364);
    EXPECT_EQ(CountState(THIS_YEAR, s, 12, 31, CELL_CURRENT), 1);
}

// ---- Row labels -------------------------------------------------------------------------------

TEST(RowLabel, AgesEveryFifthRowDecadesAndMonthNames) {
    const struct { int view, row; const wchar_t* label; } cases[] = {
        {WEEKS, 0, L"0"},      {WEEKS, 4, nullptr},   {WEEKS, 5, L"5"},    {WEEKS, 85, L"85"},
        {WEEKS, 119, nullptr}, {WEEKS, 115, L"115"},  {8, 10, L"10"},      {8, 11, nullptr},
        {MONTHS, 0, L"0"},     {MONTHS, 3, nullptr},  {MONTHS, 5, L"15"},  {MONTHS, 30, L"90"},
        {YEARS, 0, L"0"},      {YEARS, 1, L"10"},     {YEARS, 9, L"90"},   {YEARS, 11, L"110"},
        {THIS_YEAR, 0, L"ENE"}, {THIS_YEAR, 1, L"FEB"}, {THIS_YEAR, 4, L"MAY"},
        {THIS_YEAR, 7, L"AGO"}, {THIS_YEAR, 11, L"DIC"}, {THIS_YEAR, 12, nullptr},
        {THIS_YEAR, -1, nullptr},
    };
    for (const auto& c : cases) {
        wchar_t out[8] = L"unset";
        const bool has = RowLabelAt(c.view, c.row, out);
        EXPECT_EQ(has, c.label != nullptr) << c.view << " row " << c.row;
        if (has && c.label) {
            EXPECT_STREQ(out, c.label) << c.view << " row " << c.row;
        }
    }
}

// ---- Summary, cards and sentence --------------------------------------------------------------

TEST(ViewSummary, CountsAndTextsOfEachView) {
    LifeStats s = {};
    s.yearsUsed = 90;
    s.ageYears = 35;
    s.weeksIntoYear = 13;
    s.weeksLived = 1833;
    s.monthsLived = 423;
    s.dayOfYear = 166;
    s.daysInYear = 365;
    const struct {
        int view, lived, total;
        const wchar_t* cards[3];
        const wchar_t* legend[3];
        const wchar_t* description;
    } cases[] = {
        {WEEKS, 1833, 4680, {L"SEMANAS VIVIDAS", L"SEMANAS POR VIVIR", L"VIVIDO"},
         {L"SEMANA VIVIDA", L"ESTA SEMANA", L"POR VIVIR"},
         L"Cada cuadro es una semana; cada fila, un año de tu vida."},
        {MONTHS, 423, 1080, {L"MESES VIVIDOS", L"MESES POR VIVIR", L"VIVIDO"},
         {L"MES VIVIDO", L"ESTE MES", L"POR VIVIR"},
         L"Cada cuadro es un mes; cada fila, tres años de tu vida."},
        {YEARS, 35, 90, {L"AÑOS VIVIDOS", L"AÑOS POR VIVIR", L"VIVIDO"},
         {L"AÑO VIVIDO", L"ESTE AÑO DE VIDA", L"POR VIVIR"},
         L"Cada cuadro es un año de tu vida; cada fila, una década."},
        {THIS_YEAR, 165, 365, {L"DÍAS PASADOS", L"DÍAS POR DELANTE", L"DEL AÑO"},
         {L"DÍA PASADO", L"HOY", L"POR DELANTE"},
         L"Cada cuadro es un día de este año; cada fila, un mes."},
        {4, 1833, 4680, {L"SEMANAS VIVIDAS", L"SEMANAS POR VIVIR", L"VIVIDO"},
         {L"SEMANA VIVIDA", L"ESTA SEMANA", L"POR VIVIR"},
         L"Cada cuadro es una semana; cada fila, un año de tu vida."},
    };
    for (const auto& c : cases) {
        const ViewSummary v = ViewSummaryFor(c.view, s);
        EXPECT_EQ(v.lived, c.lived) << c.view;
        EXPECT_EQ(v.total, c.total) << c.view;
        for (int i = 0; i < 3; ++i) {
            EXPECT_STREQ(v.cardLabels[i], c.cards[i]) << c.view << " card " << i;
            EXPECT_STREQ(v.legendLabels[i], c.legend[i]) << c.view << " legend " << i;
        }
        EXPECT_STREQ(v.description, c.description) << c.view;
    }
}

TEST(CardValues, LivedAheadAndShareAsDrawn) {
    const struct {
        const char* name;
        int view, years, age, weeksLived, dayOfYear, daysInYear;
        const wchar_t* values[3];
    } cases[] = {
        {"weeks", WEEKS, 90, 36, 1872, 1, 365, {L"1.872", L"2.807", L"40,0 %"}},
        {"years", YEARS, 90, 30, 0, 1, 365, {L"30", L"59", L"33,3 %"}},
        {"1 January, common year", THIS_YEAR, 90, 30, 0, 1, 365, {L"0", L"364", L"0,0 %"}},
        {"1 January, leap year", THIS_YEAR, 90, 30, 0, 1, 366, {L"0", L"365", L"0,0 %"}},
        {"31 December, common year", THIS_YEAR, 90, 30, 0, 365, 365, {L"364", L"0", L"99,7 %"}},
        {"31 December, leap year", THIS_YEAR, 90, 30, 0, 366, 366, {L"365", L"0", L"99,7 %"}},
        // 13 of 5200 is exactly 0.25 %, a tie that goes to the even digit; 39 is 0.75 %.
        {"exact tie down", WEEKS, 100, 0, 13, 1, 365, {L"13", L"5.186", L"0,2 %"}},
        {"exact tie up", WEEKS, 100, 0, 39, 1, 365, {L"39", L"5.160", L"0,8 %"}},
        {"last week of 120 years", WEEKS, 120, 119, 6239, 1, 365, {L"6.239", L"0", L"100,0 %"}},
    };
    for (const auto& c : cases) {
        LifeStats s = {};
        s.yearsUsed = c.years;
        s.ageYears = c.age;
        s.weeksLived = c.weeksLived;
        s.dayOfYear = c.dayOfYear;
        s.daysInYear = c.daysInYear;
        wchar_t out[3][32];
        FormatCardValues(ViewSummaryFor(c.view, s), out);
        for (int i = 0; i < 3; ++i) EXPECT_STREQ(out[i], c.values[i]) << c.name << " card " << i;
    }
}

TEST(SummarySentence, AgeAndWeeksWithSingularForms) {
    const struct { int age, weeks; const wchar_t* start; } cases[] = {
        {36, 0, L"Tienes 36 años y 0 semanas. "},
        {1, 1, L"Tienes 1 año y 1 semana. "},
        {0, 0, L"Tienes 0 años y 0 semanas. "},
        {1, 2, L"Tienes 1 año y 2 semanas. "},
        {2, 1, L"Tienes 2 años y 1 semana. "},
        {11, 11, L"Tienes 11 años y 11 semanas. "},
        {119, 51, L"Tienes 119 años y 51 semanas. "},
    };
    const int views[] = {WEEKS, MONTHS, YEARS, THIS_YEAR};
    for (const auto& c : cases) {
        LifeStats s = {};
        s.ageYears = c.age;
        s.weeksIntoYear = c.weeks;
        for (int view : views) {
            // The same age and weeks in every view, followed by that view's description.
            const ViewSummary v = ViewSummaryFor(view, s);
            wchar_t out[SENTENCE_MAX];
            FormatSummarySentence(s, v.description, out);
            EXPECT_EQ(std::wstring(out), std::wstring(c.start) + v.description)
                << c.age << "/" << c.weeks << " view " << view;
        }
    }
}

TEST(SummarySentence, IsCutToTheBufferRatherThanOverrunningIt) {
    const std::wstring longDescription(400, L'x');
    wchar_t out[SENTENCE_MAX + 8];
    for (wchar_t& unit : out) unit = L'#';
    LifeStats s = {};
    FormatSummarySentence(s, longDescription.c_str(), out);
    EXPECT_EQ(std::wstring(out).size(), static_cast<size_t>(SENTENCE_MAX - 1));
    for (int i = SENTENCE_MAX; i < SENTENCE_MAX + 8; ++i) EXPECT_EQ(out[i], L'#') << i;
}
