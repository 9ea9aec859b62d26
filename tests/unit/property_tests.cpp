// The life statistics against a second, independent computation over a million random inputs.
// The reference below never calls the program's calendar arithmetic: its day numbers come from
// a table built by walking the calendar one day at a time, its validity and future tests
// compare dates field by field, and its age and month counts are found as the last anniversary
// that is not after today. Inputs are any int32, biased toward the ranges where results are
// valid or where one message gives way to the next.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "life/life.h"

namespace {

constexpr int32_t TABLE_FIRST_YEAR = 1890;
constexpr int32_t TABLE_LAST_YEAR = 10001;  // anniversaries may fall one year after 9999

bool Leap(int64_t year) { return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0); }

int32_t MonthLength(int64_t year, int32_t month) {
    static const int32_t lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && Leap(year) ? 29 : lengths[month - 1];
}

// firstDay[(year - first) * 12 + month - 1]: the running count of days at the 1st of the month,
// counted by stepping through every day from 1 January of the first year.
class DayTable {
public:
    DayTable() {
        int32_t count = 0, y = TABLE_FIRST_YEAR, m = 1, d = 1;
        firstDay_.push_back(0);
        while (y <= TABLE_LAST_YEAR) {
            ++count;
            if (++d > MonthLength(y, m)) {
                d = 1;
                if (++m > 12) m = 1, ++y;
                if (y <= TABLE_LAST_YEAR) firstDay_.push_back(count);
            }
        }
    }
    int32_t Day(int32_t y, int32_t m, int32_t d) const {
        return firstDay_[(y - TABLE_FIRST_YEAR) * 12 + m - 1] + d - 1;
    }
    // A day number past its month's end stands for the 1st of the next month: the birthday of
    // a 29 February in a common year, or the month step of a 31st in a 30-day month.
    int32_t Anniversary(int32_t y, int32_t m, int32_t d) const {
        if (d <= MonthLength(y, m)) return Day(y, m, d);
        return m == 12 ? Day(y + 1, 1, 1) : Day(y, m + 1, 1);
    }

private:
    std::vector<int32_t> firstDay_;
};

const DayTable& Days() {
    static const DayTable table;
    return table;
}

struct Input {
    int32_t day, month, year, years;
    LocalDate today;
};

struct Expected {
    const wchar_t* message = nullptr;  // null: valid
    int32_t exceededYears = 0;
    int32_t ageYears = 0, weeksIntoYear = 0, monthsLived = 0, dayOfYear = 0, daysInYear = 0;
};

const wchar_t TEXT_MISSING[] = L"Escribe tu fecha de nacimiento: d\u00EDa, mes y a\u00F1o.";
const wchar_t TEXT_IMPOSSIBLE[] = L"Esa fecha no existe. Revisa el d\u00EDa, el mes y el a\u00F1o.";
const wchar_t TEXT_YEARS[] = L"Los a\u00F1os del calendario deben estar entre 1 y 120.";
const wchar_t TEXT_FUTURE[] = L"Esa fecha todav\u00EDa no lleg\u00F3.";
const wchar_t TEXT_EXCEEDED[] = L"exceeded";  // marker; the text carries the number

std::wstring ExceededText(int32_t years) {
    return L"Ya pasaste los " + std::to_wstring(years) +
           L" a\u00F1os del calendario. Sube el n\u00FAmero de a\u00F1os.";
}

// Completed years: the last yearly anniversary that is not after today.
int32_t CompletedYears(const Input& in, int32_t today) {
    const DayTable& t = Days();
    int32_t age = in.today.year - in.year;
    while (age > 0 && t.Anniversary(in.year + age, in.month, in.day) > today) --age;
    return age;
}

// Whole months: the last monthly anniversary that is not after today.
int32_t CompletedMonths(const Input& in, int32_t today) {
    const DayTable& t = Days();
    auto step = [&](int32_t k) {
        const int32_t index = in.month - 1 + k;
        return t.Anniversary(in.year + index / 12, index % 12 + 1, in.day);
    };
    int32_t k = (in.today.year - in.year) * 12 + (in.today.month - in.month);
    if (k < 0) k = 0;
    while (k > 0 && step(k) > today) --k;
    while (step(k + 1) <= today) ++k;
    return k;
}

Expected Reference(const Input& in) {
    Expected e;
    const int64_t day = in.day, month = in.month, year = in.year;
    if (day == 0 || month == 0 || year == 0) return e.message = TEXT_MISSING, e;
    if (month < 1 || month > 12 || year < 1900 || day < 1) return e.message = TEXT_IMPOSSIBLE, e;
    if (day > MonthLength(year, in.month)) return e.message = TEXT_IMPOSSIBLE, e;
    if (in.years < 1 || in.years > 120) return e.message = TEXT_YEARS, e;
    const LocalDate& now = in.today;
    const bool future = year != now.year   ? year > now.year
                        : month != now.month ? month > now.month
                                             : day > now.day;
    if (future) return e.message = TEXT_FUTURE, e;

    const DayTable& t = Days();
    const int32_t today = t.Day(now.year, now.month, now.day);
    e.ageYears = CompletedYears(in, today);
    if (e.ageYears >= in.years) {
        e.message = TEXT_EXCEEDED;
        e.exceededYears = in.years;
        return e;
    }
    const int32_t sinceBirthday = today - t.Anniversary(in.year + e.ageYears, in.month, in.day);
    e.weeksIntoYear = sinceBirthday / 7 > 51 ? 51 : sinceBirthday / 7;
    e.monthsLived = CompletedMonths(in, today);
    e.dayOfYear = today - t.Day(now.year, 1, 1) + 1;
    e.daysInYear = t.Day(now.year + 1, 1, 1) - t.Day(now.year, 1, 1);
    return e;
}

// ---- Random inputs -----------------------------------------------------------------------

class InputSource {
public:
    explicit InputSource(uint64_t seed) : rng_(seed) {}

    Input Next() {
        Input in;
        in.today = Today();
        in.year = BirthYear(in.today.year);
        in.month = Month(in.today.month);
        in.day = Day(in.today.day);
        in.years = Years(static_cast<int64_t>(in.today.year) - in.year);
        return in;
    }

private:
    int32_t Between(int64_t lo, int64_t hi) {
        return static_cast<int32_t>(std::uniform_int_distribution<int64_t>(lo, hi)(rng_));
    }
    int32_t AnyInt() { return static_cast<int32_t>(static_cast<uint32_t>(rng_())); }
    int Percent() { return Between(0, 99); }

    LocalDate Today() {
        LocalDate d;
        d.year = Percent() < 60 ? Between(1900, 2100) : Between(1900, 9999);
        const int p = Percent();
        if (p < 8) return {d.year, 2, Leap(d.year) ? 29 : 28};
        if (p < 14) return {d.year, 3, 1};
        if (p < 18) return {d.year, 12, 31};
        if (p < 22) return {d.year, 1, 1};
        d.month = Between(1, 12);
        d.day = Between(1, MonthLength(d.year, d.month));
        return d;
    }
    int32_t BirthYear(int32_t todayYear) {
        const int p = Percent();
        if (p < 60) return Between(todayYear - 130, todayYear + 2);
        if (p < 80) return Between(1890, todayYear + 2);
        if (p < 86) return Between(1895, 1905);
        if (p < 91) return Between(-3, 3);
        return AnyInt();
    }
    int32_t Month(int32_t todayMonth) {
        const int p = Percent();
        if (p < 65) return Between(1, 12);
        if (p < 80) return todayMonth + Between(-1, 1);
        if (p < 87) return 2;
        if (p < 95) return Between(-2, 14);
        return AnyInt();
    }
    int32_t Day(int32_t todayDay) {
        const int p = Percent();
        if (p < 55) return Between(1, 28);
        if (p < 70) return Between(1, 31);
        if (p < 82) return todayDay + Between(-1, 1);
        if (p < 90) return Between(28, 31);
        if (p < 96) return Between(-2, 33);
        return AnyInt();
    }
    int32_t Years(int64_t roughAge) {
        const int p = Percent();
        if (p < 55) return Between(0, 130);
        if (p < 75 && roughAge > -10 && roughAge < 10000) return Between(roughAge - 1, roughAge + 2);
        if (p < 85) return Between(115, 125);
        if (p < 90) return Between(-2, 2);
        return AnyInt();
    }

    std::mt19937_64 rng_;
};

std::string Describe(const Input& in) {
    return std::to_string(in.day) + "/" + std::to_string(in.month) + "/" +
           std::to_string(in.year) + ", " + std::to_string(in.years) + " years, today " +
           std::to_string(in.today.year) + "-" + std::to_string(in.today.month) + "-" +
           std::to_string(in.today.day);
}

// The first difference between the computed record and the reference, or "" when none.
// `before` is the record as it was before the call: a failure must not touch the figures of
// the last success, and a success must not touch the last message.
std::string Mismatch(const Input& in, const Expected& e, const LifeStats& s,
                     const LifeStats& before) {
    const LocalDate& now = in.today;
    if (s.yearsUsed != in.years) return "yearsUsed";
    if (s.todayYear != now.year || s.todayMonth != now.month || s.todayDay != now.day)
        return "today fields";
    if (s.todayKey != now.year * 10000 + now.month * 100 + now.day) return "todayKey";

    if (e.message) {
        if (s.statsValid != 0) return "statsValid should be 0";
        const std::wstring want = e.message == TEXT_EXCEEDED ? ExceededText(e.exceededYears)
                                                             : std::wstring(e.message);
        if (want != s.message) return "message";
        if (s.ageYears != before.ageYears || s.weeksIntoYear != before.weeksIntoYear ||
            s.weeksLived != before.weeksLived || s.monthsLived != before.monthsLived ||
            s.dayOfYear != before.dayOfYear || s.daysInYear != before.daysInYear)
            return "a failure changed the figures of the last success";
        return "";
    }
    if (s.statsValid != 1) return "statsValid should be 1";
    if (wcscmp(s.message, before.message) != 0) return "a success changed the message";
    // The invariants the painters rely on.
    if (s.ageYears < 0 || s.ageYears > s.yearsUsed - 1) return "ageYears out of 0..years-1";
    if (s.weeksIntoYear < 0 || s.weeksIntoYear > 51) return "weeksIntoYear out of 0..51";
    if (s.weeksLived != s.ageYears * 52 + s.weeksIntoYear) return "weeksLived";
    if (s.weeksLived > s.yearsUsed * 52 - 1) return "weeksLived beyond the grid";
    if (s.monthsLived < s.ageYears * 12 || s.monthsLived > s.ageYears * 12 + 11)
        return "monthsLived out of the age's months";
    if (s.dayOfYear < 1 || s.dayOfYear > s.daysInYear) return "dayOfYear out of 1..daysInYear";
    // The figures themselves.
    if (s.ageYears != e.ageYears) return "ageYears";
    if (s.weeksIntoYear != e.weeksIntoYear) return "weeksIntoYear";
    if (s.monthsLived != e.monthsLived) return "monthsLived";
    if (s.dayOfYear != e.dayOfYear) return "dayOfYear";
    if (s.daysInYear != e.daysInYear) return "daysInYear";
    return "";
}

constexpr int RANDOM_INPUTS = 1000000;

}  // namespace

// The reference's own day count against dates whose distance is known, so that a fault in the
// table cannot hide a fault in the program.
TEST(LifeStatsProperty, ReferenceDayTableCountsRealDays) {
    const DayTable& t = Days();
    EXPECT_EQ(t.Day(1970, 1, 1) - t.Day(1900, 1, 1), 25567);
    EXPECT_EQ(t.Day(2000, 3, 1) - t.Day(2000, 2, 28), 2);
    EXPECT_EQ(t.Day(2100, 3, 1) - t.Day(2100, 2, 28), 1);
    EXPECT_EQ(t.Day(2400, 1, 1) - t.Day(2000, 1, 1), 146097);
    EXPECT_EQ(t.Anniversary(2023, 2, 29), t.Day(2023, 3, 1));
    EXPECT_EQ(t.Anniversary(2023, 4, 31), t.Day(2023, 5, 1));
    EXPECT_EQ(t.Anniversary(9999, 12, 32), t.Day(10000, 1, 1));
}

TEST(LifeStatsProperty, MillionRandomInputsMatchTheReference) {
    InputSource source(0x51A7E5EEDull);
    LifeStats s;
    memset(&s, 0, sizeof s);
    int outcomes[6] = {};  // valid, missing, impossible, years, future, exceeded
    int failures = 0;
    for (int i = 0; i < RANDOM_INPUTS && failures < 10; ++i) {
        const Input in = source.Next();
        const Expected e = Reference(in);
        const LifeStats before = s;
        ComputeLifeStatsFor(&s, in.day, in.month, in.year, in.years, in.today);
        const std::string fault = Mismatch(in, e, s, before);
        if (!fault.empty()) {
            ADD_FAILURE() << Describe(in) << ": " << fault;
            ++failures;
            continue;
        }
        const wchar_t* const order[6] = {nullptr,     TEXT_MISSING, TEXT_IMPOSSIBLE,
                                         TEXT_YEARS, TEXT_FUTURE,  TEXT_EXCEEDED};
        for (int k = 0; k < 6; ++k)
            if (e.message == order[k]) ++outcomes[k];
    }
    // The bias of the source must reach every outcome often, valid results most of all.
    EXPECT_GT(outcomes[0], RANDOM_INPUTS / 10) << "valid";
    for (int k = 1; k < 6; ++k) EXPECT_GT(outcomes[k], RANDOM_INPUTS / 100) << "outcome " << k;
    std::printf("valid %d, missing %d, impossible %d, years %d, future %d, exceeded %d\n",
                outcomes[0], outcomes[1], outcomes[2], outcomes[3], outcomes[4], outcomes[5]);
}
