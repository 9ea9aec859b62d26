// quorvel-bench: what a user feels of the program, measured on the runtime it ships on.
//   frames   one full calendar frame per view (90 and 120 calendar years, 96 and 144 dpi) and
//            the widget frame, each against the floor: a bare clear and copy of the same size;
//   start-up quorvel.exe from process start to its first painted, idle window, against a
//            minimal Win32 window program; private memory of both after start-up, and of the
//            minimal program with the same manifest and four edit fields;
//   idle     paints and wake-ups of the real windows with no input (only the two one-minute
//            day timers should tick).
// Usage: quorvel-bench.exe [--frames N] [--runs N] [--idle-seconds N]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "app/app.h"
#include "calendar/calendar.h"
#include "draw/draw.h"
#include "widget/widget.h"

static double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

static double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

// ---- frames -----------------------------------------------------------------------------------

static void DrawFloor(HDC dc, int32_t width, int32_t height) {
    FillSolid(dc, RECT{0, 0, width, height}, COLOR_BACKGROUND);
}

// Each frame as the window paints it: a fresh off-screen surface, the drawing, one copy.
static double MedianFrameMs(int32_t width, int32_t height, FrameDrawer draw, int frames) {
    HDC screen = GetDC(nullptr);
    HDC target = CreateCompatibleDC(screen);
    HBITMAP targetBitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(target, targetBitmap);
    for (int i = 0; i < frames / 10 + 5; ++i) DrawOffscreen(target, width, height, draw);
    std::vector<double> times;
    for (int i = 0; i < frames; ++i) {
        const double t0 = NowMs();
        DrawOffscreen(target, width, height, draw);
        GdiFlush();
        times.push_back(NowMs() - t0);
    }
    SelectObject(target, previous);
    DeleteObject(targetBitmap);
    DeleteDC(target);
    ReleaseDC(nullptr, screen);
    return Median(times);
}

// The client size of a calendar window of its default outer size at this DPI.
static SIZE DefaultClient(int32_t dpi) {
    g_app.dpi = dpi;
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    return SIZE{Scale(900) - (frame.right - frame.left), Scale(880) - (frame.bottom - frame.top)};
}

static void UseLife(int32_t view, int32_t years, int32_t dpi) {
    g_app.dpi = dpi;
    g_app.view = view;
    g_app.setupMode = 0;
    g_app.hoverIndex = -1;
    // 10 March 1990 seen on 15 June 2025: every kind of square is on screen.
    ComputeLifeStatsFor(&g_app.stats, 10, 3, 1990, years, LocalDate{2025, 6, 15});
    CreateFonts();
}

struct Row {
    std::string what;
    double frameMs;
    double floorMs;
};

static std::vector<Row> MeasureFrames(int frames) {
    static const char* const VIEW_NAMES[4] = {"weeks", "months", "years", "this year"};
    std::vector<Row> rows;
    for (int32_t dpi : {96, 144})
        for (int32_t years : {90, 120})
            for (int32_t view = 0; view < 4; ++view) {
                UseLife(view, years, dpi);
                const SIZE client = DefaultClient(dpi);
                char name[96];
                snprintf(name, sizeof name, "calendar, %s, %d years, %d dpi (%ldx%ld)",
                         VIEW_NAMES[view], years, dpi, client.cx, client.cy);
                rows.push_back({name, MedianFrameMs(client.cx, client.cy, DrawCalendarFrame, frames),
                                MedianFrameMs(client.cx, client.cy, DrawFloor, frames)});
            }
    for (int32_t dpi : {96, 144}) {
        UseLife(0, 90, dpi);
        char name[96];
        snprintf(name, sizeof name, "widget, %d dpi (%dx%d)", dpi, Scale(300), Scale(214));
        rows.push_back({name, MedianFrameMs(Scale(300), Scale(214), DrawWidgetFrame, frames),
                        MedianFrameMs(Scale(300), Scale(214), DrawFloor, frames)});
    }
    return rows;
}

// ---- start-up and memory ----------------------------------------------------------------------

static std::wstring BesideMe(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path, n);
    return s.substr(0, s.find_last_of(L"\\/") + 1) + name;
}

struct Startup {
    double ms;
    double privateKiB;
    double workingSetKiB;
};

static Startup StartOnce(const std::wstring& exe, const wchar_t* windowClass) {
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::wstring commandLine = L"\"" + exe + L"\"";
    const double t0 = NowMs();
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi))
        return {-1, -1, -1};
    WaitForInputIdle(pi.hProcess, 30000);
    const double ms = NowMs() - t0;
    Sleep(300);
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(pi.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    if (HWND w = FindWindowW(windowClass, nullptr)) PostMessageW(w, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 15000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    // Wine leaves PrivateUsage at 0 for another process; its commit charge is PagefileUsage,
    // which Windows reports as the same number.
    const SIZE_T privateBytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    return {ms, privateBytes / 1024.0, counters.WorkingSetSize / 1024.0};
}

static Startup MedianStartup(const std::wstring& exe, const wchar_t* windowClass, int runs) {
    std::vector<double> ms, kib, ws;
    StartOnce(exe, windowClass);  // warm the file cache
    for (int i = 0; i < runs; ++i) {
        Startup s = StartOnce(exe, windowClass);
        ms.push_back(s.ms);
        kib.push_back(s.privateKiB);
        ws.push_back(s.workingSetKiB);
    }
    return {Median(ms), Median(kib), Median(ws)};
}

// A stored life, so start-up paints the full grid; the bench's own file is removed afterwards.
static bool EnsureStoredLife() {
    BuildSettingsPath();
    if (!g_app.iniPath[0] || GetFileAttributesW(g_app.iniPath) != INVALID_FILE_ATTRIBUTES)
        return false;
    WritePrivateProfileStringW(L"quorvel", L"dia", L"10", g_app.iniPath);
    WritePrivateProfileStringW(L"quorvel", L"mes", L"3", g_app.iniPath);
    WritePrivateProfileStringW(L"quorvel", L"anio", L"1990", g_app.iniPath);
    WritePrivateProfileStringW(L"quorvel", L"vida", L"90", g_app.iniPath);
    return true;
}

// ---- idle -------------------------------------------------------------------------------------

static LONG g_messages, g_paints, g_timers;

static LRESULT CALLBACK CountRetrieved(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        InterlockedIncrement(&g_messages);
        if (msg->message == WM_PAINT) InterlockedIncrement(&g_paints);
        if (msg->message == WM_TIMER) InterlockedIncrement(&g_timers);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

static DWORD WINAPI RunProgram(LPVOID) {
    return static_cast<DWORD>(AppMain(GetModuleHandleW(nullptr), L"", SW_SHOWNORMAL));
}

struct Idle {
    LONG messages, paints, timers;
};

// The real program (same start-up, same window procedures) on a second thread of this process,
// so every message its loop retrieves can be counted.
static Idle MeasureIdle(int seconds) {
    g_app = AppState();
    SetCursorPos(1919, 1079);
    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, RunProgram, nullptr, 0, &threadId);
    for (int i = 0; i < 100 && !(g_app.calendarWindow && IsWindowVisible(g_app.calendarWindow)); ++i)
        Sleep(50);
    Sleep(1500);  // let start-up's own paints and notifications pass
    HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, CountRetrieved, nullptr, threadId);
    g_messages = g_paints = g_timers = 0;
    Sleep(static_cast<DWORD>(seconds) * 1000);
    Idle idle = {g_messages, g_paints, g_timers};
    UnhookWindowsHookEx(hook);
    PostMessageW(g_app.calendarWindow, WM_CLOSE, 0, 0);
    WaitForSingleObject(thread, 15000);
    CloseHandle(thread);
    return idle;
}

// ---- report -----------------------------------------------------------------------------------

static int IntArg(int argc, wchar_t** argv, const wchar_t* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (wcscmp(argv[i], name) == 0) return _wtoi(argv[i + 1]);
    return fallback;
}

int wmain(int argc, wchar_t** argv) {
    const int frames = IntArg(argc, argv, L"--frames", 300);
    const int runs = IntArg(argc, argv, L"--runs", 9);
    const int idleSeconds = IntArg(argc, argv, L"--idle-seconds", 120);

    printf("| frame | median ms | floor ms | frame / floor | frames per second |\n");
    printf("|---|---|---|---|---|\n");
    double worst = 0, densest = 0;
    for (const Row& r : MeasureFrames(frames)) {
        const double ratio = r.frameMs / r.floorMs;
        printf("| %s | %.3f | %.3f | %.2f | %.0f |\n", r.what.c_str(), r.frameMs, r.floorMs,
               ratio, 1000.0 / r.frameMs);
        worst = std::max(worst, r.frameMs);
        if (r.what.find("weeks, 120 years, 144 dpi") != std::string::npos) densest = ratio;
    }

    const bool ownFile = EnsureStoredLife();
    const Startup program = MedianStartup(BesideMe(L"quorvel.exe"), CALENDAR_CLASS_NAME, runs);
    const Startup minimal =
        MedianStartup(BesideMe(L"minimal-window.exe"), L"QuorvelMinimalWindow", runs);
    const Startup withEdits =
        MedianStartup(BesideMe(L"minimal-edit-window.exe"), L"QuorvelMinimalWindow", runs);
    WIN32_FILE_ATTRIBUTE_DATA attributes = {};
    GetFileAttributesExW(BesideMe(L"quorvel.exe").c_str(), GetFileExInfoStandard, &attributes);
    const double exeKiB = attributes.nFileSizeLow / 1024.0;

    Idle idle = {-1, -1, -1};
    if (idleSeconds > 0) idle = MeasureIdle(idleSeconds);
    if (ownFile) DeleteFileW(g_app.iniPath);

    printf("\n| measure | quorvel | minimal window | ratio | goal | met |\n");
    printf("|---|---|---|---|---|---|\n");
    printf("| densest frame (weeks, 120 years, 144 dpi) / floor | %.2f | | | within 3 | %s |\n",
           densest, densest <= 3.0 ? "yes" : "no");
    printf("| slowest frame | %.3f ms | | | under 16.7 ms | %s |\n", worst,
           worst < 16.7 ? "yes" : "no");
    printf("| start-up to first paint | %.1f ms | %.1f ms | %.2f | within 1.3 | %s |\n", program.ms,
           minimal.ms, program.ms / minimal.ms, program.ms <= 1.3 * minimal.ms ? "yes" : "no");
    printf("| private memory after start-up | %.0f KiB | %.0f KiB | %.2f | within 1.3 | %s |\n",
           program.privateKiB, minimal.privateKiB, program.privateKiB / minimal.privateKiB,
           program.privateKiB <= 1.3 * minimal.privateKiB ? "yes" : "no");
    printf("| private memory: the minimal window with the program's manifest and four edit "
           "fields | %.0f KiB | %.0f KiB | %.2f | (for reference) | |\n",
           withEdits.privateKiB, minimal.privateKiB, withEdits.privateKiB / minimal.privateKiB);
    printf("| working set after start-up | %.0f KiB | %.0f KiB | %.2f | (for reference) | |\n",
           program.workingSetKiB, minimal.workingSetKiB,
           program.workingSetKiB / minimal.workingSetKiB);
    printf("| executable size | %.0f KiB | | | under 1024 KiB | %s |\n", exeKiB,
           exeKiB < 1024 ? "yes" : "no");
    if (idleSeconds > 0)
        printf("| idle %d s: messages / paints / timer ticks | %ld / %ld / %ld | | | "
               "only the two one-minute timers | %s |\n",
               idleSeconds, idle.messages, idle.paints, idle.timers,
               idle.paints == 0 && idle.messages == idle.timers ? "yes" : "no");
    fflush(stdout);
    return 0;
}
