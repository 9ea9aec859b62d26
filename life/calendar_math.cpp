// Day numbers in a counting year that starts on 1 March, so the leap day is its last day.
#include "life/life.h"

bool IsLeapYear(int32_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int32_t DaysInMonth(int32_t year, int32_t month) {
    if (month == 2 && IsLeapYear(year)) return 29;
    return DAYS_IN_MONTH[month - 1];
}

int32_t DaysFromCivil(int32_t year, int32_t month, int32_t day) {
    const int32_t y = month < 3 ? year - 1 : year;
    const int32_t era = (y >= 0 ? y : y - 399) / 400;
    const int32_t yoe = y - era * 400;
    const int32_t dayOfCountingYear =
        (month >= 3 ? (153 * (month - 3) + 2) / 5 : (153 * (month + 9) + 2) / 5) + day - 1;
    const int32_t doe = yoe * 365 + yoe / 4 - yoe / 100 + dayOfCountingYear;
    return era * 146097 + doe - 719468;
}

int32_t DayOfYear(int32_t year, int32_t month, int32_t day) {
    return DaysFromCivil(year, month, day) - DaysFromCivil(year, 1, 1) + 1;
}

int32_t DaysInYear(int32_t year) { return IsLeapYear(year) ? 366 : 365; }
