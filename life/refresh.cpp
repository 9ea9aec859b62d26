// The statistics of the running program: which inputs they come from, and the daily refresh.
#include "life/life.h"

#include <cwchar>

#include "app/app.h"

void ComputeLifeStats(int32_t day, int32_t month, int32_t year, int32_t years) {
    ComputeLifeStatsFor(&g_app.stats, day, month, year, years, ReadLocalDate());
}

int32_t ReadSetupField(HWND field) {
    wchar_t text[16] = {};
    GetWindowTextW(field, text, 16);
    return _wtoi(text);
}

void RecomputeStats() {
    if (!g_app.setupMode) {
        ComputeLifeStats(g_app.birthDay, g_app.birthMonth, g_app.birthYear, g_app.calendarYears);
        return;
    }
    const int32_t day = ReadSetupField(g_app.editDay);
    const int32_t month = ReadSetupField(g_app.editMonth);
    const int32_t year = ReadSetupField(g_app.editYear);
    const int32_t years = ReadSetupField(g_app.editYears);
    ComputeLifeStats(day, month, year, years);
}

void CheckDayRollover() {
    if (DateKey(ReadLocalDate()) == g_app.stats.todayKey) return;
    RecomputeStats();
    RepaintBothWindows();
}

void RefreshAfterClockChange() {
    RecomputeStats();
    RepaintBothWindows();
}

void RefreshAfterPowerEvent(uintptr_t event) {
    if (event == PBT_APMRESUMEAUTOMATIC) CheckDayRollover();
}
