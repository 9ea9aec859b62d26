// Life model: pure calendar arithmetic and the life statistics with the validation of user
// input. Nothing here includes <windows.h>; the local clock is read through ReadLocalDate.
#pragma once
#include <cstddef>
#include <cstdint>

// ---- Count-limited text formatting ----------------------------------------------------------

// printf-style formatting into out[capacity]: at most capacity - 1 units, then the terminator;
// the rest is cut. Returns the number of units written. "%.1f" rounds exact ties to even on
// every runtime the program is built for.
int FormatText(wchar_t* out, size_t capacity, const wchar_t* format, ...);

// ---- Calendar arithmetic (proleptic Gregorian; 1970-01-01 is day 0) ------------------------

constexpr int32_t DAYS_IN_MONTH[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool IsLeapYear(int32_t year);
int32_t DaysInMonth(int32_t year, int32_t month);   // month 1..12
int32_t DaysFromCivil(int32_t year, int32_t month, int32_t day);
int32_t DayOfYear(int32_t year, int32_t month, int32_t day);
int32_t DaysInYear(int32_t year);

// ---- Life statistics ------------------------------------------------------------------------

constexpr int LIFE_MESSAGE_MAX = 200;  // UTF-16 units, terminator included

struct LifeStats {
    int32_t statsValid;
    int32_t yearsUsed;
    int32_t ageYears;
    int32_t weeksIntoYear;
    int32_t weeksLived;
    int32_t monthsLived;
    int32_t todayYear;
    int32_t todayMonth;
    int32_t todayDay;
    int32_t dayOfYear;
    int32_t daysInYear;
    wchar_t message[LIFE_MESSAGE_MAX];
    int32_t todayKey;
};

struct LocalDate {
    int32_t year;
    int32_t month;
    int32_t day;
};

extern const wchar_t MSG_DATE_MISSING[];
extern const wchar_t MSG_DATE_IMPOSSIBLE[];
extern const wchar_t MSG_YEARS_RANGE[];
extern const wchar_t MSG_DATE_FUTURE[];
extern const wchar_t MSG_CALENDAR_EXCEEDED[];  // holds one %d: the calendar years

inline int32_t DateKey(LocalDate d) { return d.year * 10000 + d.month * 100 + d.day; }

// The whole computation as a function of its inputs and today's date; writes *stats.
void ComputeLifeStatsFor(LifeStats* stats, int32_t day, int32_t month, int32_t year,
                         int32_t years, LocalDate today);

// Today's local date (year, month, day) from the platform clock.
LocalDate ReadLocalDate();

// ---- Operations on the process-wide state (life/refresh.cpp) --------------------------------

// ComputeLifeStatsFor with today's local date, into the application's LifeStats.
void ComputeLifeStats(int32_t day, int32_t month, int32_t year, int32_t years);
// From the setup fields while the form is open, from the stored settings otherwise.
void RecomputeStats();
// Recomputes and repaints both windows only when the local date moved on.
void CheckDayRollover();
// Both windows' answer to a change of the system clock: recompute and repaint, same day or not.
void RefreshAfterClockChange();
// Both windows' answer to a power event: the day check on the automatic resume, else nothing.
void RefreshAfterPowerEvent(uintptr_t event);
