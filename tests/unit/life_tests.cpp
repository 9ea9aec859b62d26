// Calendar arithmetic, the life statistics and their messages, and the text formatter.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "app/app.h"
#include "life/life.h"

// ---- Calendar arithmetic ------------------------------------------------------------------

struct CivilCase { int y, m, d, days; };

TEST(CalendarMath, DaysFromCivilWorkedExamples) {
    const CivilCase cases[] = {
        {1970, 1, 1, 0},      {1969, 12, 31, -1},   {1900, 1, 1, -25567}, {2000, 1, 1, 10957},
        {2000, 2, 29, 11016}, {2000, 3, 1, 11017},  {2023, 2, 29, 19417}, {2023, 3, 1, 19417},
        {2024, 2, 29, 19782}, {1, 1, 1, -719162},   {2023, 4, 31, DaysFromCivil(2023, 5, 1)},
        {0, 3, 1, -719468},   {-1, 12, 31, -719529},
    };
    for (const CivilCase& c : cases)
        EXPECT_EQ(DaysFromCivil(c.y, c.m, c.d), c.days) << c.y << "-" << c.m << "-" << c.d;
}

// A walk day by day from 1-01-01 to 9999-12-31: every valid date is one more than the day
// before it, so day numbers equal the true distance to 1970-01-01.
TEST(CalendarMath, DaysFromCivilAdvancesByOneOverYears1To9999) {
    int32_t expected = DaysFromCivil(1, 1, 1);
    for (int y = 1; y <= 9999; ++y)
        for (int m = 1; m <= 12; ++m)
            for (int d = 1; d <= DaysInMonth(y, m); ++d) {
                ASSERT_EQ(DaysFromCivil(y, m, d), expected) << y << "-" << m << "-" << d;
                ASSERT_EQ(DayOfYear(y, m, d), expected - DaysFromCivil(y, 1, 1) + 1);
                ++expected;
            }
    EXPECT_EQ(expected - 1, DaysFromCivil(9999, 12, 31));
    EXPECT_EQ(DaysFromCivil(1970, 1, 1), 0);
}

TEST(CalendarMath, LeapYearsMonthLengthsAndOrdinals) {
    const struct { int year; bool leap; int feb; int days; } years[] = {
        {1900, false, 28, 365}, {2000, true, 29, 366}, {2023, false, 28, 365},
        {2024, true, 29, 366},  {2100, false, 28, 365}, {1600, true, 29, 366},
    };
    for (const auto& c : years) {
        EXPECT_EQ(IsLeapYear(c.year), c.leap) << c.year;
        EXPECT_EQ(DaysInMonth(c.year, 2), c.feb) << c.year;
        EXPECT_EQ(DaysInYear(c.year), c.days) << c.year;
    }
    const int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 1; m <= 12; ++m) EXPECT_EQ(DaysInMonth(2023, m), lengths[m - 1]) << m;

    EXPECT_EQ(DayOfYear(2024, 3, 1), 61);
    EXPECT_EQ(DayOfYear(2023, 3, 1), 60);
    EXPECT_EQ(DayOfYear(2024, 12, 31), 366);
    EXPECT_EQ(DayOfYear(2023, 1, 1), 1);
}

// ---- Life statistics ------------------------------------------------------------------------

constexpr LocalDate JUNE_15{2025, 6, 15};
constexpr int ANY = -99;  // a figure this row does not state

enum Outcome { VALID, MISSING, IMPOSSIBLE, YEARS, FUTURE, EXCEEDED };

struct StatsCase {
    int day, month, year, years;
    LocalDate today;
    Outcome outcome;
    int ageYears = ANY, weeksIntoYear = ANY, weeksLived = ANY, monthsLived = ANY,
        dayOfYear = ANY, daysInYear = ANY;
};


const StatsCase STATS_CASES[] = {
    {10, 3, 1990, 90, JUNE_15, VALID, 35, 13, 1833, 423, 166, 365},
    {10, 3, 1990, 36, JUNE_15, VALID, 35, 13, 1833, 423, 166, 365},
    {10, 3, 1990, 35, JUNE_15, EXCEEDED},
    {1, 1, 1900, 120, JUNE_15, EXCEEDED},
    {15, 6, 2025, 90, JUNE_15, VALID, 0, 0, 0, 0, 166, 365},
    {16, 6, 2025, 90, JUNE_15, FUTURE},
    {16, 6, 2025, 0, JUNE_15, YEARS},
    {15, 6, 1990, 90, {2025, 6, 14}, VALID, 34, 51, 1819, 419, ANY, ANY},
    {15, 6, 1990, 90, {2025, 6, 15}, VALID, 35, 0, 1820, 420, ANY, ANY},
    {1, 1, 2024, 90, {2024, 12, 31}, VALID, 0, 51, 51, 11, 366, 366},
    {10, 3, 1990, 90, {2024, 3, 9}, VALID, 33, 51, 1767, 407, ANY, ANY},
    {29, 2, 2000, 90, {2023, 2, 28}, VALID, 22, 51, 1195, 275, ANY, ANY},
    {29, 2, 2000, 90, {2023, 3, 1}, VALID, 23, 0, 1196, 276, ANY, ANY},
    {29, 2, 2000, 90, {2024, 2, 29}, VALID, 24, 0, 1248, 288, ANY, ANY},
    {31, 1, 2000, 90, {2000, 2, 29}, VALID, ANY, 4, ANY, 0, ANY, ANY},
    {31, 1, 2000, 90, {2000, 3, 1}, VALID, ANY, 4, ANY, 1, ANY, ANY},
    {29, 2, 1900, 90, JUNE_15, IMPOSSIBLE},
    {31, 4, 1990, 90, JUNE_15, IMPOSSIBLE},
    {1, 1, 1899, 90, JUNE_15, IMPOSSIBLE},
    {0, 13, 1990, 90, JUNE_15, MISSING},
    {5, 13, 1990, 0, JUNE_15, IMPOSSIBLE},
    {-5, 3, 1990, 90, JUNE_15, IMPOSSIBLE},
    {5, -3, 1990, 90, JUNE_15, IMPOSSIBLE},
    {5, 3, 1990, -3, JUNE_15, YEARS},
    {10, 3, 1990, 121, JUNE_15, YEARS},
    // Precedence beyond the worked rows: each earlier test wins over every later one.
    {5, 3, 0, -7, JUNE_15, MISSING},
    {32, 1, 2030, 0, JUNE_15, IMPOSSIBLE},
    {1, 1, 2030, 200, JUNE_15, YEARS},
    {1, 1, 2030, 1, JUNE_15, FUTURE},
    // Birth years that would wrap int32 day numbers are simply in the future.
    {1, 1, 5881580, 90, JUNE_15, FUTURE},
    {31, 12, 2147483647, 90, JUNE_15, FUTURE},
    {1, 1, 2026, 90, {2025, 12, 31}, FUTURE},
};

static std::wstring ExpectedMessage(Outcome outcome, int years) {
    switch (outcome) {
        case MISSING: return L"Escribe tu fecha de nacimiento: d\u00EDa, mes y a\u00F1o.";
        case IMPOSSIBLE: return L"Esa fecha no existe. Revisa el d\u00EDa, el mes y el a\u00F1o.";
        case YEARS: return L"Los a\u00F1os del calendario deben estar entre 1 y 120.";
        case FUTURE: return L"Esa fecha todav\u00EDa no lleg\u00F3.";
        case EXCEEDED:
            return L"Ya pasaste los " + std::to_wstring(years) +
                   L" a\u00F1os del calendario. Sube el n\u00FAmero de a\u00F1os.";
        case VALID: break;
    }
    return L"";
}

static void ExpectFigure(int actual, int expected, const char* name) {
    if (expected != ANY) {
        EXPECT_EQ(actual, expected) << name;
    }
}

TEST(LifeStats, EdgeCaseTable) {
    for (const StatsCase& c : STATS_CASES) {
        SCOPED_TRACE(testing::Message() << c.day << "/" << c.month << "/" << c.year << ", "
                                        << c.years << " on " << c.today.year << "-"
                                        << c.today.month << "-" << c.today.day);
        LifeStats s;
        memset(&s, 0x5A, sizeof s);  // stale garbage, as from an earlier computation
        wcscpy(s.message, L"stale");
        ComputeLifeStatsFor(&s, c.day, c.month, c.year, c.years, c.today);

        // Set by every call, also a failing one.
        EXPECT_EQ(s.yearsUsed, c.years);
        EXPECT_EQ(s.todayYear, c.today.year);
        EXPECT_EQ(s.todayMonth, c.today.month);
        EXPECT_EQ(s.todayDay, c.today.day);
        EXPECT_EQ(s.todayKey, c.today.year * 10000 + c.today.month * 100 + c.today.day);

        if (c.outcome == VALID) {
            EXPECT_EQ(s.statsValid, 1);
            EXPECT_STREQ(s.message, L"stale");  // a success leaves the last message alone
            ExpectFigure(s.ageYears, c.ageYears, "ageYears");
            ExpectFigure(s.weeksIntoYear, c.weeksIntoYear, "weeksIntoYear");
            ExpectFigure(s.weeksLived, c.weeksLived, "weeksLived");
            ExpectFigure(s.monthsLived, c.monthsLived, "monthsLived");
            ExpectFigure(s.dayOfYear, c.dayOfYear, "dayOfYear");
            ExpectFigure(s.daysInYear, c.daysInYear, "daysInYear");
        } else {
            EXPECT_EQ(s.statsValid, 0);
            EXPECT_EQ(std::wstring(s.message), ExpectedMessage(c.outcome, c.years));
        }
    }
}

TEST(LifeStats, FailureKeepsEarlierFigures) {
    LifeStats s = {};
    ComputeLifeStatsFor(&s, 10, 3, 1990, 90, JUNE_15);
    ASSERT_EQ(s.statsValid, 1);
    ComputeLifeStatsFor(&s, 10, 3, 1990, 121, {2026, 1, 2});
    EXPECT_EQ(s.statsValid, 0);
    EXPECT_EQ(s.weeksLived, 1833);
    EXPECT_EQ(s.dayOfYear, 166);
    EXPECT_EQ(s.todayKey, 20260102);
    EXPECT_EQ(s.yearsUsed, 121);
}

// The invariants the painters rely on, over every birth day of a span of years and several
// todays, including leap days and year ends.
TEST(LifeStats, InvariantsHoldForEveryValidResult) {
    const LocalDate todays[] = {{2024, 2, 29}, {2024, 12, 31}, {2025, 1, 1},
                                {2025, 3, 1},  {2023, 2, 28},  {2100, 3, 1}};
    for (const LocalDate& today : todays)
        for (int year = 1900; year <= today.year; ++year)
            for (int month = 1; month <= 12; ++month)
                for (int day = 1; day <= DaysInMonth(year, month); ++day) {
                    LifeStats s = {};
                    ComputeLifeStatsFor(&s, day, month, year, 120, today);
                    if (!s.statsValid) {
                        ASSERT_TRUE(today.year - year >= 119 ||
                                    DaysFromCivil(year, month, day) >
                                        DaysFromCivil(today.year, today.month, today.day));
                        continue;
                    }
                    ASSERT_GE(s.ageYears, 0);
                    ASSERT_LE(s.ageYears, s.yearsUsed - 1);
                    ASSERT_GE(s.weeksIntoYear, 0);
                    ASSERT_LE(s.weeksIntoYear, 51);
                    ASSERT_EQ(s.weeksLived, s.ageYears * 52 + s.weeksIntoYear);
                    ASSERT_GE(s.monthsLived, s.ageYears * 12);
                    ASSERT_LE(s.monthsLived, s.ageYears * 12 + 11);
                    ASSERT_GE(s.dayOfYear, 1);
                    ASSERT_LE(s.dayOfYear, s.daysInYear);
                }
}

// ---- The application state at process start -------------------------------------------------

TEST(AppStateStart, FiveFieldsStartWithTheirOwnValues) {
    const AppState fresh;
    EXPECT_EQ(fresh.hoverIndex, -1);
    EXPECT_EQ(fresh.widgetX, -1);
    EXPECT_EQ(fresh.widgetY, -1);
    EXPECT_EQ(fresh.calendarYears, 90);
    EXPECT_EQ(fresh.dpi, 96);
    EXPECT_EQ(fresh.birthDay | fresh.birthMonth | fresh.birthYear | fresh.view |
                  fresh.alwaysOnTop | fresh.setupMode | fresh.hits.count | fresh.stats.statsValid,
              0);
    EXPECT_EQ(fresh.iniPath[0], L'\0');
    EXPECT_EQ(fresh.calendarWindow, nullptr);
    EXPECT_EQ(fresh.fontEdit, nullptr);
    // The global record is the same as a fresh one before anything runs.
    EXPECT_EQ(g_app.calendarYears, 90);
    EXPECT_EQ(g_app.widgetX, -1);
}

// ---- Count-limited formatting on the shipped runtime ---------------------------------------

TEST(FormatText, CutsAtCapacityAndAlwaysTerminates) {
    wchar_t out[8];
    wmemset(out, L'#', 8);
    EXPECT_EQ(FormatText(out, 8, L"%ls", L"abcdefghijk"), 7);
    EXPECT_STREQ(out, L"abcdefg");
    EXPECT_EQ(FormatText(out, 8, L"%d", -42), 3);
    EXPECT_STREQ(out, L"-42");
    wchar_t one[1] = {L'#'};
    EXPECT_EQ(FormatText(one, 1, L"%d", 5), 0);
    EXPECT_EQ(one[0], L'\0');
}

TEST(FormatText, FixedPointTiesGoToEven) {
    const struct { double value; const wchar_t* text; } cases[] = {
        {0.25, L"0.2"}, {0.75, L"0.8"}, {12.5, L"12.5"}, {0.05, L"0.1"}, {2.25, L"2.2"},
        {37.77777, L"37.8"}, {100.0, L"100.0"},
    };
    for (const auto& c : cases) {
        wchar_t out[32];
        FormatText(out, 32, L"%.1f", c.value);
        EXPECT_STREQ(out, c.text) << c.value;
    }
}
