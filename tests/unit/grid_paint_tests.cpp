// The life grid, the statistics cards and the legend as drawn: pixels of a 32-bit DIB section
// painted with the program's own fonts, and the drawing objects each paint makes and frees.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

#include "app/app.h"
#include "calendar/calendar.h"
#include "draw/draw.h"
#include "dib_surface.h"

// ---- Surface and state ------------------------------------------------------------------------

static HFONT AppState::*const FONT_FIELDS[] = {
    &AppState::fontBrand, &AppState::fontTitle,  &AppState::fontFigure, &AppState::fontBody,
    &AppState::fontSmall, &AppState::fontButton, &AppState::fontEdit};

// Gives each test the program's fonts at the DPI it picks and puts the process-wide state back.
class PaintTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = g_app;
        for (HFONT AppState::*field : FONT_FIELDS) g_app.*field = nullptr;
        UseDpi(96);
    }
    void TearDown() override {
        for (HFONT AppState::*field : FONT_FIELDS)
            if (g_app.*field) DeleteObject(g_app.*field);
        g_app = saved_;
    }
    void UseDpi(int dpi) {
        g_app.dpi = dpi;
        CreateFonts();
    }
    // A valid calendar of the given years with the current week at (age, weeksIntoYear).
    static LifeStats Stats(int years, int age, int weeksIntoYear, int monthsLived) {
        LifeStats s = {};
        s.statsValid = 1;
        s.yearsUsed = years;
        s.ageYears = age;
        s.weeksIntoYear = weeksIntoYear;
        s.weeksLived = age * 52 + weeksIntoYear;
        s.monthsLived = monthsLived;
        s.todayYear = 2025;
        s.todayMonth = 6;
        s.todayDay = 15;
        s.dayOfYear = 166;
        s.daysInYear = 365;
        return s;
    }

private:
    AppState saved_;
};

static RECT SquareRect(const GridGeometry& g, int row, int column) {
    const int left = SquareLeft(g, column), top = SquareTop(g, row);
    return RECT{left, top, left + g.cellSize, top + g.cellSize};
}

// ---- Life grid --------------------------------------------------------------------------------

using LifeGridPaint = PaintTest;

TEST_F(LifeGridPaint, EachWeekTakesTheColourOfItsState) {
    g_app.view = VIEW_WEEKS;
    g_app.stats = Stats(90, 36, 3, 0);
    Surface s(1100, 760, COLOR_BACKGROUND);
    ASSERT_TRUE(s.ok());
    DrawLifeGrid(s.dc(), 24, 1052, 254, 470);

    const GridGeometry g = ComputeGridGeometry(VIEW_WEEKS, 90, 24, 1052, 254, 470, 96);
    ASSERT_EQ(g.cellSize, 3);
    const int current = 36 * 52 + 3;
    for (int r = 0; r < 90; ++r)
        for (int c = 0; c < 52; ++c) {
            const int index = r * 52 + c;
            const COLORREF expected = index < current    ? COLOR_ACCENT
                                      : index == current ? COLOR_TEXT
                                                         : COLOR_TRACK;
            const RECT q = SquareRect(g, r, c);
            // Every pixel of the square, corners included: 3 < Scale(5), so no outline.
            ASSERT_EQ(s.Count(q, expected), 9) << "row " << r << " column " << c;
            // The gap to the right of and below each square stays empty.
            ASSERT_EQ(s.At(q.right, q.top), COLOR_BACKGROUND) << "row " << r << " column " << c;
            ASSERT_EQ(s.At(q.left, q.bottom), COLOR_BACKGROUND) << "row " << r << " column " << c;
        }
    // The current week is the only off-white on the surface.
    EXPECT_EQ(s.Count(RECT{0, 0, 1100, 760}, COLOR_TEXT), 9);
    // Nothing right of the last column or below the last row.
    const RECT last = SquareRect(g, 89, 51);
    EXPECT_EQ(s.CountOther(RECT{last.right, 254, 1100, 760}, COLOR_BACKGROUND), 0);
    EXPECT_EQ(s.CountOther(RECT{0, last.bottom, 1100, 760}, COLOR_BACKGROUND), 0);
}

// Copying rows whose squares all look alike must give exactly the pixels of filling every
// square: fractional pitches (rows 2 and 3 pixels apart), outlined squares, the months and
// years tails, a grid running past the surface's bottom, and row labels wider than their column.
TEST_F(LifeGridPaint, CopiedRowsMatchSquareBySquareFills) {
    const struct {
        int view, years, age, weeks, months, dpi, width, height, availableHeight;
    } cases[] = {
        {VIEW_WEEKS, 90, 35, 13, 423, 96, 1100, 760, 470},     // pitch 5, no outlines
        {VIEW_WEEKS, 120, 60, 51, 731, 96, 1100, 600, 300},    // pitch 2.5 keeps its fraction
        {VIEW_WEEKS, 120, 0, 0, 0, 96, 1100, 460, 200},        // pitch 2, runs past the bottom
        {VIEW_WEEKS, 40, 10, 7, 125, 96, 1100, 900, 640},      // outlined ahead squares
        {VIEW_WEEKS, 120, 119, 51, 1439, 144, 1342, 1293, 858},
        {VIEW_MONTHS, 91, 50, 3, 603, 96, 1100, 760, 470},     // a tail of 24 empty places
        {VIEW_MONTHS, 90, 35, 13, 423, 120, 1100, 900, 560},
        {VIEW_YEARS, 95, 20, 0, 240, 96, 1100, 400, 140},      // small squares: no numbers
        {VIEW_THIS_YEAR, 90, 35, 13, 423, 96, 1100, 760, 470},
    };
    for (const auto& c : cases) {
        UseDpi(c.dpi);
        g_app.view = c.view;
        g_app.stats = Stats(c.years, c.age, c.weeks, c.months);
        const int left = Scale(24), width = c.width - Scale(24) - left, top = Scale(254);
        Surface copied(c.width, c.height, COLOR_BACKGROUND);
        Surface filled(c.width, c.height, COLOR_BACKGROUND);
        ASSERT_TRUE(copied.ok() && filled.ok());
        g_gridCopiesRows = true;
        DrawLifeGrid(copied.dc(), left, width, top, c.availableHeight);
        g_gridCopiesRows = false;
        DrawLifeGrid(filled.dc(), left, width, top, c.availableHeight);
        g_gridCopiesRows = true;
        EXPECT_TRUE(copied.SameAs(filled)) << "view " << c.view << ", " << c.years << " years at "
                                           << c.dpi << " dpi";
        EXPECT_GT(filled.CountOther(RECT{0, top, c.width, c.height}, COLOR_BACKGROUND), 1000)
            << "view " << c.view << ", " << c.years << " years at " << c.dpi << " dpi";
    }
}

TEST_F(LifeGridPaint, AheadSquaresAreOutlinedFromFiveDesignPixels) {
    const struct { int dpi, contentWidth, cellSize; bool outlined; } cases[] = {
        {96, 28 + 52 * 7, 5, true},    // pitch 7
        {96, 28 + 52 * 6, 4, false},   // pitch 6
        {96, 28 + 52 * 15, 11, true},  // pitch 15
        {120, 35 + 52 * 8, 6, true},   // Scale(5) = 6 at 120 dpi
        {120, 35 + 52 * 7, 5, false},
    };
    for (const auto& c : cases) {
        UseDpi(c.dpi);
        g_app.view = VIEW_WEEKS;
        g_app.stats = Stats(10, 0, 30, 0);
        Surface s(1000, 400, COLOR_BACKGROUND);
        DrawLifeGrid(s.dc(), 0, c.contentWidth, 10, 380);
        const GridGeometry g = ComputeGridGeometry(VIEW_WEEKS, 10, 0, c.contentWidth, 10, 380,
                                                   c.dpi);
        ASSERT_EQ(g.cellSize, c.cellSize) << c.dpi << " " << c.contentWidth;
        const int n = c.cellSize;
        const RECT ahead = SquareRect(g, 5, 0);
        const COLORREF edge = c.outlined ? COLOR_BORDER : COLOR_TRACK;
        EXPECT_EQ(s.At(ahead.left, ahead.top), edge) << c.dpi << " cell " << n;
        EXPECT_EQ(s.At(ahead.right - 1, ahead.bottom - 1), edge) << c.dpi << " cell " << n;
        EXPECT_EQ(s.Count(ahead, COLOR_BORDER), c.outlined ? 4 * (n - 1) : 0) << n;
        EXPECT_EQ(s.Count(ahead, COLOR_TRACK), c.outlined ? (n - 2) * (n - 2) : n * n) << n;
        // Lived and current squares never carry the outline.
        EXPECT_EQ(s.Count(SquareRect(g, 0, 29), COLOR_ACCENT), n * n) << n;
        EXPECT_EQ(s.Count(SquareRect(g, 0, 30), COLOR_TEXT), n * n) << n;
    }
}

TEST_F(LifeGridPaint, PositionsWithoutAUnitStayEmpty) {
    const struct {
        const char* name;
        int view, years, todayYear, row, firstEmpty, columns;
    } cases[] = {
        {"months, 91 years", VIEW_MONTHS, 91, 2025, 30, 12, 36},
        {"years, 95 years", VIEW_YEARS, 95, 2025, 9, 5, 10},
        {"February, common year", VIEW_THIS_YEAR, 90, 2025, 1, 28, 31},
        {"February, leap year", VIEW_THIS_YEAR, 90, 2024, 1, 29, 31},
        {"April", VIEW_THIS_YEAR, 90, 2025, 3, 30, 31},
        {"May has all 31", VIEW_THIS_YEAR, 90, 2025, 4, 31, 31},
    };
    for (const auto& c : cases) {
        g_app.view = c.view;
        g_app.stats = Stats(c.years, 30, 0, 30 * 12);
        g_app.stats.todayYear = c.todayYear;
        Surface s(1100, 760, COLOR_BACKGROUND);
        DrawLifeGrid(s.dc(), 24, 1052, 254, 470);
        const GridGeometry g = ComputeGridGeometry(c.view, c.years, 24, 1052, 254, 470, 96);
        for (int col = 0; col < c.columns; ++col) {
            const RECT q = SquareRect(g, c.row, col);
            const int drawn = s.CountOther(q, COLOR_BACKGROUND);
            if (col < c.firstEmpty)
                EXPECT_GT(drawn, 0) << c.name << " column " << col;
            else
                EXPECT_EQ(drawn, 0) << c.name << " column " << col;
        }
        // The row below the last is not drawn at all.
        EXPECT_EQ(s.CountOther(RECT{0, SquareTop(g, g.rows), 1100, 760}, COLOR_BACKGROUND), 0)
            << c.name;
    }
}

TEST_F(LifeGridPaint, ThisYearMarksTodayAmongTheDays) {
    g_app.view = VIEW_THIS_YEAR;
    g_app.stats = Stats(90, 30, 0, 0);  // 15 June 2025
    Surface s(1100, 760, COLOR_BACKGROUND);
    DrawLifeGrid(s.dc(), 24, 1052, 254, 470);
    const GridGeometry g = ComputeGridGeometry(VIEW_THIS_YEAR, 90, 24, 1052, 254, 470, 96);
    const int n = g.cellSize;
    EXPECT_EQ(s.Count(SquareRect(g, 0, 0), COLOR_ACCENT), n * n);
    EXPECT_EQ(s.Count(SquareRect(g, 5, 13), COLOR_ACCENT), n * n);
    EXPECT_EQ(s.Count(SquareRect(g, 5, 14), COLOR_TEXT), n * n);
    EXPECT_EQ(s.Count(SquareRect(g, 5, 15), COLOR_BORDER), 4 * (n - 1));
    EXPECT_EQ(s.Count(SquareRect(g, 11, 30), COLOR_BORDER), 4 * (n - 1));
}

// Pixels inside the square that are neither its fill nor its outline: the drawn number.
static RECT InkBounds(const Surface& s, const RECT& q, COLORREF fill, int* count) {
    RECT box = {q.right, q.bottom, q.left, q.top};
    *count = 0;
    for (int y = q.top; y < q.bottom; ++y)
        for (int x = q.left; x < q.right; ++x) {
            const COLORREF p = s.At(x, y);
            if (p == fill || p == COLOR_BORDER) continue;
            ++*count;
            box = RECT{std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                       std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
        }
    return box;
}

static int Brightness(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); }

TEST_F(LifeGridPaint, LargeYearSquaresCarryTheirCentredYearNumber) {
    g_app.view = VIEW_YEARS;
    g_app.stats = Stats(90, 30, 0, 0);
    Surface s(1100, 760, COLOR_BACKGROUND);
    DrawLifeGrid(s.dc(), 24, 1052, 254, 470);
    const GridGeometry g = ComputeGridGeometry(VIEW_YEARS, 90, 24, 1052, 254, 470, 96);
    ASSERT_EQ(g.cellSize, 46);

    const struct { int row, column; COLORREF fill; bool darker; } squares[] = {
        {0, 0, COLOR_ACCENT, true},   // "0", dark on amber
        {2, 5, COLOR_ACCENT, true},   // "25"
        {3, 0, COLOR_TEXT, true},     // "30", the current year of life
        {8, 9, COLOR_TRACK, false},   // "89", grey on the dark ahead square
    };
    for (const auto& q : squares) {
        const RECT r = SquareRect(g, q.row, q.column);
        int ink = 0;
        const RECT box = InkBounds(s, r, q.fill, &ink);
        ASSERT_GT(ink, 0) << "no number in row " << q.row << " column " << q.column;
        // Centred on one line: the ink's middle lies within a few pixels of the square's.
        EXPECT_NEAR((box.left + box.right) / 2.0, (r.left + r.right) / 2.0, 3.0) << q.row;
        EXPECT_NEAR((box.top + box.bottom) / 2.0, (r.top + r.bottom) / 2.0, 4.0) << q.row;
        EXPECT_LT(box.bottom - box.top, 46 / 2) << "a glyph of about 38 % of the square";
        // The darkest (or brightest) ink pixel shows the text colour the state asks for.
        int extreme = q.darker ? 765 : 0;
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x) {
                const int b = Brightness(s.At(x, y));
                extreme = q.darker ? std::min(extreme, b) : std::max(extreme, b);
            }
        if (q.darker)
            EXPECT_LT(extreme, Brightness(q.fill) / 2) << q.row << " " << q.column;
        else
            EXPECT_GT(extreme, Brightness(COLOR_BORDER)) << q.row << " " << q.column;
    }
    // Two digits are wider than one.
    int ink0 = 0, ink25 = 0;
    const RECT one = InkBounds(s, SquareRect(g, 0, 0), COLOR_ACCENT, &ink0);
    const RECT two = InkBounds(s, SquareRect(g, 2, 5), COLOR_ACCENT, &ink25);
    EXPECT_GT(two.right - two.left, one.right - one.left);
}

TEST_F(LifeGridPaint, SmallSquaresAndOtherViewsHaveNoNumbers) {
    const struct { int view, years, avail; } cases[] = {
        {VIEW_YEARS, 120, 250},  // 12 rows of pitch 20: squares of 18 < Scale(22)
        {VIEW_MONTHS, 10, 470},  // large squares, but not the years view
        {VIEW_THIS_YEAR, 90, 470},
    };
    for (const auto& c : cases) {
        g_app.view = c.view;
        g_app.stats = Stats(c.years, 3, 0, 3 * 12 + 1);
        g_app.stats.todayMonth = 3;
        Surface s(1100, 760, COLOR_BACKGROUND);
        DrawLifeGrid(s.dc(), 24, 1052, 254, c.avail);
        const GridGeometry g = ComputeGridGeometry(c.view, c.years, 24, 1052, 254, c.avail, 96);
        const int n = g.cellSize;
        EXPECT_EQ(s.Count(SquareRect(g, 0, 0), COLOR_ACCENT), n * n) << c.view;
        EXPECT_EQ(s.Count(SquareRect(g, g.rows - 1, 1), COLOR_BORDER), 4 * (n - 1)) << c.view;
        EXPECT_EQ(s.Count(SquareRect(g, g.rows - 1, 1), COLOR_TRACK), (n - 2) * (n - 2))
            << c.view;
    }
}

TEST_F(LifeGridPaint, RowLabelsStandLeftOfTheirRows) {
    const struct { int view, years; std::vector<int> labelled; } cases[] = {
        {VIEW_WEEKS, 12, {0, 5, 10}},
        {VIEW_MONTHS, 45, {0, 5, 10}},  // 15 rows: ages 0, 15 and 30
        {VIEW_THIS_YEAR, 90, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
    };
    for (const auto& c : cases) {
        g_app.view = c.view;
        g_app.stats = Stats(c.years, 1, 0, 12);
        Surface s(1100, 760, COLOR_BACKGROUND);
        DrawLifeGrid(s.dc(), 24, 1052, 254, 470);
        const GridGeometry g = ComputeGridGeometry(c.view, c.years, 24, 1052, 254, 470, 96);
        ASSERT_GE(g.pitch, 15.0) << "rows too close to tell labels apart";
        for (int r = 0; r < g.rows; ++r) {
            const bool labelled =
                std::find(c.labelled.begin(), c.labelled.end(), r) != c.labelled.end();
            const RECT column = {g.gridLeft, SquareTop(g, r), g.gridLeft + g.labelWidth,
                                 SquareTop(g, r + 1)};
            const int ink = s.CountOther(column, COLOR_BACKGROUND);
            if (labelled)
                EXPECT_GT(ink, 0) << c.view << " row " << r;
            else
                EXPECT_EQ(ink, 0) << c.view << " row " << r;
            // Labels are grey text, never a square's colour.
            EXPECT_EQ(s.Count(column, COLOR_ACCENT) + s.Count(column, COLOR_TEXT), 0) << r;
        }
        // Nothing is drawn left of the label column but the smoothing of a glyph's edge.
        EXPECT_EQ(s.CountOther(RECT{0, 0, g.gridLeft - 2, 760}, COLOR_BACKGROUND), 0) << c.view;
    }
}

// ---- Cards and sentence -----------------------------------------------------------------------

using CardsPaint = PaintTest;

// The cards of the weeks view match a surface drawn by hand at the positions and with the
// texts the window should show.
TEST_F(CardsPaint, ThreeCardsAndTheSentenceOfTheWeeksView) {
    g_app.view = VIEW_WEEKS;
    g_app.stats = Stats(90, 36, 0, 0);
    Surface drawn(1100, 320, COLOR_BACKGROUND);
    DrawStatCards(drawn.dc(), 24, 1052, 160);

    Surface expected(1100, 320, COLOR_BACKGROUND);
    const struct { int x; const wchar_t* label; const wchar_t* value; } cards[] = {
        {24, L"SEMANAS VIVIDAS", L"1.872"},
        {374, L"SEMANAS POR VIVIR", L"2.807"},
        {724, L"VIVIDO", L"40,0 %"},
    };
    for (const auto& c : cards) {
        FillSolid(expected.dc(), RECT{c.x, 160, c.x + 2, 212}, COLOR_ACCENT);
        DrawTextAt(expected.dc(), c.x + 10, 160, g_app.fontSmall, COLOR_MUTED, c.label);
        DrawTextAt(expected.dc(), c.x + 10, 176, g_app.fontFigure, COLOR_TEXT, c.value);
    }
    DrawTextAt(expected.dc(), 24, 226, g_app.fontBody, COLOR_MUTED,
               L"Tienes 36 años y 0 semanas. Cada cuadro es una semana; cada fila, un año de "
               L"tu vida.");
    EXPECT_TRUE(drawn.SameAs(expected));

    for (const auto& c : cards) {
        EXPECT_EQ(drawn.Count(RECT{c.x, 160, c.x + 2, 212}, COLOR_ACCENT), 2 * 52) << c.x;
        EXPECT_EQ(drawn.CountOther(RECT{c.x + 2, 160, c.x + 10, 226}, COLOR_BACKGROUND), 0);
        EXPECT_EQ(drawn.At(c.x, 212), COLOR_BACKGROUND);
        EXPECT_GT(drawn.CountOther(RECT{c.x + 10, 160, c.x + 350, 176}, COLOR_BACKGROUND), 0);
        EXPECT_GT(drawn.Count(RECT{c.x + 10, 176, c.x + 350, 212}, COLOR_TEXT), 0) << c.x;
    }
}

TEST_F(CardsPaint, BarsScaleOneLengthAtATime) {
    UseDpi(120);
    g_app.view = VIEW_THIS_YEAR;
    g_app.stats = Stats(90, 36, 0, 0);
    Surface s(1100, 400, COLOR_BACKGROUND);
    DrawStatCards(s.dc(), 30, 1000, 200);
    // Card width 333; bars Scale(2) = 3 wide and Scale(52) = 65 high.
    for (int x : {30, 363, 696}) {
        EXPECT_EQ(s.Count(RECT{x, 200, x + 3, 265}, COLOR_ACCENT), 3 * 65) << x;
        EXPECT_NE(s.At(x + 3, 230), COLOR_ACCENT) << x;
        EXPECT_NE(s.At(x, 265), COLOR_ACCENT) << x;
        EXPECT_NE(s.At(x - 1, 230), COLOR_ACCENT) << x;
    }
    // The sentence line starts at y + Scale(66) = 283 and nothing else is drawn there.
    EXPECT_GT(s.CountOther(RECT{30, 283, 1100, 300}, COLOR_BACKGROUND), 0);
    EXPECT_EQ(s.CountOther(RECT{0, 270, 1100, 283}, COLOR_BACKGROUND), 0);
}

// ---- Legend -----------------------------------------------------------------------------------

using LegendPaint = PaintTest;

TEST_F(LegendPaint, ThreeSwatchesEachFollowedByItsLabel) {
    g_app.view = VIEW_WEEKS;
    g_app.stats = Stats(90, 36, 0, 0);
    Surface s(1100, 760, COLOR_BACKGROUND);
    DrawLegend(s.dc(), 24, 760);

    const wchar_t* labels[3] = {L"SEMANA VIVIDA", L"ESTA SEMANA", L"POR VIVIR"};
    int x = 24;
    for (int i = 0; i < 3; ++i) {
        const RECT swatch = {x, 736, x + 10, 746};
        if (i < 2) {
            EXPECT_EQ(s.Count(swatch, i == 0 ? COLOR_ACCENT : COLOR_TEXT), 100) << i;
        } else {
            EXPECT_EQ(s.Count(swatch, COLOR_BORDER), 36);
            EXPECT_EQ(s.Count(RECT{x + 1, 737, x + 9, 745}, COLOR_TRACK), 64);
        }
        EXPECT_EQ(s.At(x + 5, 735), COLOR_BACKGROUND) << i;
        EXPECT_EQ(s.At(x + 5, 746), COLOR_BACKGROUND) << i;
        EXPECT_EQ(s.CountOther(RECT{x + 10, 734, x + 16, 760}, COLOR_BACKGROUND), 0) << i;
        const int w = TextWidth(s.dc(), g_app.fontSmall, labels[i]);
        EXPECT_GT(s.CountOther(RECT{x + 16, 734, x + 16 + w, 760}, COLOR_BACKGROUND), 0) << i;
        // Between the label and the next swatch nothing is drawn.
        EXPECT_EQ(s.CountOther(RECT{x + 16 + w + 1, 734, x + 16 + w + 22, 760},
                               COLOR_BACKGROUND),
                  0)
            << i;
        x += 16 + w + 22;
    }
    EXPECT_EQ(s.CountOther(RECT{x, 0, 1100, 760}, COLOR_BACKGROUND), 0);
    EXPECT_EQ(s.CountOther(RECT{0, 0, 1100, 734}, COLOR_BACKGROUND), 0);
}

// At 120 dpi the fill is Scale(2) + Scale(10) = 16 below the line, the outline Scale(12) = 15:
// the last row of the dark fill shows under the outline.
TEST_F(LegendPaint, ThirdSwatchAt120DpiShowsOneFillRowBelowItsOutline) {
    UseDpi(120);
    g_app.view = VIEW_YEARS;
    g_app.stats = Stats(90, 36, 0, 0);
    Surface s(1100, 1000, COLOR_BACKGROUND);
    DrawLegend(s.dc(), 30, 1000);
    const int y = 1000 - 33;
    int x = 30;
    for (const wchar_t* label : {L"AÑO VIVIDO", L"ESTE AÑO DE VIDA"})
        x += 20 + TextWidth(s.dc(), g_app.fontSmall, label) + 28;

    EXPECT_EQ(s.At(x + 6, y + 2), COLOR_BACKGROUND);
    EXPECT_EQ(s.At(x + 6, y + 3), COLOR_BORDER);
    EXPECT_EQ(s.At(x + 6, y + 4), COLOR_TRACK);
    EXPECT_EQ(s.At(x + 6, y + 14), COLOR_BORDER);
    EXPECT_EQ(s.At(x + 6, y + 15), COLOR_TRACK);
    EXPECT_EQ(s.At(x + 6, y + 16), COLOR_BACKGROUND);
    EXPECT_EQ(s.At(x, y + 8), COLOR_BORDER);
    EXPECT_EQ(s.At(x + 12, y + 8), COLOR_BORDER);
    EXPECT_EQ(s.At(x + 13, y + 8), COLOR_BACKGROUND);
    EXPECT_EQ(s.At(x, y + 15), COLOR_TRACK);  // the outline's sides end one row higher
    // The first two swatches: 13 x 13 from y + 3.
    EXPECT_EQ(s.Count(RECT{30, y + 3, 43, y + 16}, COLOR_ACCENT), 169);
}

// ---- Drawing objects of one paint -------------------------------------------------------------

// Replaces one entry of this executable's import table, through which the program's code (linked
// into the test) calls gdi32, and returns the original entry.
static void* PatchImport(const char* dll, const char* function, void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const DWORD imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports);
    for (; desc->Name; ++desc) {
        if (_stricmp(reinterpret_cast<const char*>(base + desc->Name), dll) != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
            DWORD protect = 0;
            VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_READWRITE, &protect);
            void* original = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof(void*), protect, &protect);
            return original;
        }
    }
    return nullptr;
}

// Every brush, font and deletion the drawing code asks for while a recorder is alive.
struct GdiLog {
    std::vector<HGDIOBJ> brushes, fonts, deleted;
};
static GdiLog* g_log = nullptr;
static decltype(&CreateSolidBrush) g_realCreateSolidBrush;
static decltype(&CreateFontW) g_realCreateFontW;
static decltype(&DeleteObject) g_realDeleteObject;

static HBRUSH WINAPI LoggedCreateSolidBrush(COLORREF color) {
    HBRUSH brush = g_realCreateSolidBrush(color);
    g_log->brushes.push_back(brush);
    return brush;
}
static HFONT WINAPI LoggedCreateFontW(int h, int w, int e, int o, int weight, DWORD i, DWORD u,
                                      DWORD s, DWORD cs, DWORD op, DWORD cp, DWORD q, DWORD pf,
                                      LPCWSTR face) {
    HFONT font = g_realCreateFontW(h, w, e, o, weight, i, u, s, cs, op, cp, q, pf, face);
    g_log->fonts.push_back(font);
    return font;
}
static BOOL WINAPI LoggedDeleteObject(HGDIOBJ object) {
    g_log->deleted.push_back(object);
    return g_realDeleteObject(object);
}

class GdiRecorder {
public:
    explicit GdiRecorder(GdiLog* log) {
        g_log = log;
        g_realCreateSolidBrush = reinterpret_cast<decltype(&CreateSolidBrush)>(
            PatchImport("gdi32.dll", "CreateSolidBrush",
                        reinterpret_cast<void*>(LoggedCreateSolidBrush)));
        g_realCreateFontW = reinterpret_cast<decltype(&CreateFontW)>(
            PatchImport("gdi32.dll", "CreateFontW", reinterpret_cast<void*>(LoggedCreateFontW)));
        g_realDeleteObject = reinterpret_cast<decltype(&DeleteObject)>(
            PatchImport("gdi32.dll", "DeleteObject", reinterpret_cast<void*>(LoggedDeleteObject)));
    }
    ~GdiRecorder() {
        PatchImport("gdi32.dll", "CreateSolidBrush",
                    reinterpret_cast<void*>(g_realCreateSolidBrush));
        PatchImport("gdi32.dll", "CreateFontW", reinterpret_cast<void*>(g_realCreateFontW));
        PatchImport("gdi32.dll", "DeleteObject", reinterpret_cast<void*>(g_realDeleteObject));
        g_log = nullptr;
    }
    bool ok() const { return g_realCreateSolidBrush && g_realCreateFontW && g_realDeleteObject; }
};

// Each created object is deleted exactly once, and nothing else is deleted.
static void ExpectEveryObjectFreed(const GdiLog& log, const char* what) {
    std::multiset<HGDIOBJ> created(log.brushes.begin(), log.brushes.end());
    created.insert(log.fonts.begin(), log.fonts.end());
    const std::multiset<HGDIOBJ> deleted(log.deleted.begin(), log.deleted.end());
    EXPECT_EQ(created, deleted) << what;
    for (HGDIOBJ object : log.brushes) EXPECT_NE(object, nullptr) << what;
}

using GdiObjectsPaint = PaintTest;

// The weeks grid of 120 years has 6,240 squares: its brushes are made once for all of them.
TEST_F(GdiObjectsPaint, TheGridMakesFourBrushesAndAtMostOneFontPerPaint) {
    const struct { int view, years, avail; size_t fonts; } cases[] = {
        {VIEW_WEEKS, 120, 470, 0},
        {VIEW_MONTHS, 90, 470, 0},
        {VIEW_YEARS, 90, 470, 1},  // squares of 46: numbers
        {VIEW_YEARS, 120, 250, 0},  // squares of 18: none
        {VIEW_THIS_YEAR, 90, 470, 0},
    };
    for (const auto& c : cases) {
        g_app.view = c.view;
        g_app.stats = Stats(c.years, 30, 0, 30 * 12);
        Surface s(1100, 760, COLOR_BACKGROUND);
        GdiLog log;
        {
            GdiRecorder recorder(&log);
            ASSERT_TRUE(recorder.ok());
            DrawLifeGrid(s.dc(), 24, 1052, 254, c.avail);
        }
        EXPECT_EQ(log.brushes.size(), 4u) << c.view;
        EXPECT_EQ(log.fonts.size(), c.fonts) << c.view;
        ExpectEveryObjectFreed(log, "grid");
    }
}

TEST_F(GdiObjectsPaint, CardsAndLegendFreeWhatTheyMake) {
    g_app.view = VIEW_WEEKS;
    g_app.stats = Stats(90, 36, 0, 0);
    Surface s(1100, 760, COLOR_BACKGROUND);
    GdiLog cards, legend;
    {
        GdiRecorder recorder(&cards);
        ASSERT_TRUE(recorder.ok());
        DrawStatCards(s.dc(), 24, 1052, 160);
    }
    {
        GdiRecorder recorder(&legend);
        DrawLegend(s.dc(), 24, 760);
    }
    EXPECT_EQ(cards.brushes.size(), 3u);  // one per accent bar
    EXPECT_EQ(legend.brushes.size(), 4u);  // three swatches and one outline
    EXPECT_TRUE(cards.fonts.empty() && legend.fonts.empty()) << "only the shared fonts are used";
    ExpectEveryObjectFreed(cards, "cards");
    ExpectEveryObjectFreed(legend, "legend");
}

// Independent of how objects are made: with all but a few handles of the process's table in
// use, many paints in a row must leave those few free.
TEST_F(GdiObjectsPaint, ManyPaintsLeaveTheHandleTableAsTheyFoundIt) {
    g_app.view = VIEW_YEARS;
    g_app.stats = Stats(10, 3, 0, 0);  // one row of ten numbered squares: cheap to paint
    Surface s(400, 200, COLOR_BACKGROUND);
    auto paintAll = [&] {
        DrawStatCards(s.dc(), 0, 400, 0);
        DrawLifeGrid(s.dc(), 0, 400, 80, 100);
        DrawLegend(s.dc(), 0, 200);
    };
    paintAll();  // whatever the platform makes once, on first use, is made now

    std::vector<HBRUSH> filler;
    for (HBRUSH b; filler.size() < 200000 && (b = CreateSolidBrush(RGB(1, 2, 3)));)
        filler.push_back(b);
    ASSERT_LT(filler.size(), 200000u) << "no handle limit to measure against";
    const int slack = 60;
    for (int i = 0; i < slack; ++i) {
        DeleteObject(filler.back());
        filler.pop_back();
    }

    for (int i = 0; i < 400; ++i) paintAll();
    std::vector<HBRUSH> probe;
    for (HBRUSH b; probe.size() < static_cast<size_t>(slack) && (b = CreateSolidBrush(0));)
        probe.push_back(b);
    const size_t stillFree = probe.size();

    for (HBRUSH b : probe) DeleteObject(b);
    for (HBRUSH b : filler) DeleteObject(b);
    EXPECT_GE(stillFree, static_cast<size_t>(slack - 5)) << "paints kept handles";
}
