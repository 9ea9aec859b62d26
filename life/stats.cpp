// The life statistics and the validation of what the user typed. The first failing test
// decides the message: empty, impossible date, calendar years, future date, exceeded calendar.
#include "life/life.h"

const wchar_t MSG_DATE_MISSING[] = L"Escribe tu fecha de nacimiento: d\u00EDa, mes y a\u00F1o.";
const wchar_t MSG_DATE_IMPOSSIBLE[] = L"Esa fecha no existe. Revisa el d\u00EDa, el mes y el a\u00F1o.";
const wchar_t MSG_YEARS_RANGE[] = L"Los a\u00F1os del calendario deben estar entre 1 y 120.";
const wchar_t MSG_DATE_FUTURE[] = L"Esa fecha todav\u00EDa no lleg\u00F3.";
const wchar_t MSG_CALENDAR_EXCEEDED[] =
    L"Ya pasaste los %d a\u00F1os del calendario. Sube el n\u00FAmero de a\u00F1os.";

static void Fail(LifeStats* stats, const wchar_t* text) {
    FormatText(stats->message, LIFE_MESSAGE_MAX, L"%ls", text);
}

void ComputeLifeStatsFor(LifeStats* stats, int32_t day, int32_t month, int32_t year,
                         int32_t years, LocalDate today) {
    const int32_t Y = today.year, M = today.month, D = today.day;
    stats->statsValid = 0;
    stats->yearsUsed = years;
    stats->todayYear = Y;
    stats->todayMonth = M;
    stats->todayDay = D;
    stats->todayKey = DateKey(today);

    if (month == 0 || year == 0 || day == 0) return Fail(stats, MSG_DATE_MISSING);
    if (static_cast<uint32_t>(month - 1) > 11u || year < 1900 || day < 1)
        return Fail(stats, MSG_DATE_IMPOSSIBLE);
    if (day > DaysInMonth(year, month)) return Fail(stats, MSG_DATE_IMPOSSIBLE);
    if (static_cast<uint32_t>(years - 1) > 119u) return Fail(stats, MSG_YEARS_RANGE);

    // A year after today's is in the future whatever its day number would be; testing it first
    // keeps a hand-edited year near the int32 limit from wrapping DaysFromCivil into the past.
    const int32_t t = DaysFromCivil(Y, M, D);
    if (year > Y || DaysFromCivil(year, month, day) > t) return Fail(stats, MSG_DATE_FUTURE);

    const int32_t yearDiff = Y - year;
    int32_t ageYears = yearDiff;
    if (DaysFromCivil(Y, month, day) > t) --ageYears;  // this year's birthday is still ahead

    if (ageYears >= years) {
        FormatText(stats->message, LIFE_MESSAGE_MAX, MSG_CALENDAR_EXCEEDED, years);
        return;
    }

    // Days 357..365 after a birthday all belong to week 51: the week index never reaches 52.
    const int32_t sinceBirthday = t - DaysFromCivil(year + ageYears, month, day);
    stats->weeksIntoYear = sinceBirthday <= 363 ? sinceBirthday / 7 : 51;
    stats->ageYears = ageYears;
    stats->weeksLived = ageYears * 52 + stats->weeksIntoYear;
    stats->monthsLived = yearDiff * 12 + (M - month) - (D < day ? 1 : 0);
    stats->dayOfYear = t - DaysFromCivil(Y, 1, 1) + 1;
    stats->daysInYear = DaysInYear(Y);
    stats->statsValid = 1;
}
