// The desktop widget: where it is placed, what its paint puts on which pixel, its context menu,
// and the messages of its window procedure on a real hidden window.
#include <gtest/gtest.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "app/app.h"
#include "draw/draw.h"
#include "widget/widget.h"
#include "dib_surface.h"

// ---- Placement --------------------------------------------------------------------------------

TEST(WidgetPlacement, SavedPlaceOrTopRightCornerOfTheWorkArea) {
    const RECT screen = {0, 0, 1920, 1040};
    const RECT taskbarTop = {0, 40, 1920, 1080};
    const RECT taskbarLeft = {100, 0, 1920, 1080};
    const struct {
        RECT work;
        int dpi, savedX, savedY, x, y;
    } cases[] = {
        {screen, 96, -1, -1, 1596, 24},       // no saved place
        {screen, 96, 0, 0, 0, 0},             // the corner itself is a place
        {screen, 96, 1880, 500, 1880, 500},   // right - Scale(40): still accepted
        {screen, 96, 1881, 500, 1596, 24},    // one more: rejected
        {screen, 96, 500, 1000, 500, 1000},   // bottom - Scale(40)
        {screen, 96, 500, 1001, 1596, 24},
        {screen, 96, 1870, 990, 1870, 990},   // sticks out: the widget's size is not tested
        {screen, 96, -300, 200, 1596, 24},    // a monitor to the left
        {screen, 96, 200, -1, 1596, 24},      // a monitor above
        {screen, 96, 2500, 200, 1596, 24},    // a monitor to the right
        {taskbarTop, 96, 0, 0, 0, 0},         // nothing is compared with the top
        {taskbarTop, 96, -1, 5, 1596, 64},
        {taskbarLeft, 96, 0, 0, 0, 0},        // nor with the left
        // 120 dpi: 375 wide, 30 from the edges, 50 to leave.
        {screen, 120, -1, -1, 1920 - 375 - 30, 30},
        {screen, 120, 1870, 990, 1870, 990},
        {screen, 120, 1871, 990, 1515, 30},
        {screen, 120, 1870, 991, 1515, 30},
        // 144 dpi: 450 wide, 36 from the edges, 60 to leave.
        {screen, 144, -1, -1, 1920 - 450 - 36, 36},
        {screen, 144, 1860, 980, 1860, 980},
        {screen, 144, 1861, 980, 1434, 36},
    };
    for (const auto& c : cases) {
        const POINT p = WidgetPlacement(c.savedX, c.savedY, c.work, c.dpi);
        EXPECT_EQ(p.x, c.x) << c.savedX << "," << c.savedY << " at " << c.dpi;
        EXPECT_EQ(p.y, c.y) << c.savedX << "," << c.savedY << " at " << c.dpi;
    }
}

// The paint reads the DPI, the shared fonts and the statistics; each test sets them and the
// fixture puts the state back.
class WidgetDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedStats_ = g_app.stats;
        CreateFonts();
    }
    void TearDown() override {
        g_app.stats = savedStats_;
        g_app.dpi = 96;
        CreateFonts();
    }
    static void SetDpi(int dpi) {
        g_app.dpi = dpi;
        CreateFonts();
    }
    static void SetStats(int weeksLived, int yearsUsed, int ageYears, int dayOfYear,
                         int daysInYear) {
        g_app.stats = LifeStats{};
        g_app.stats.statsValid = 1;
        g_app.stats.weeksLived = weeksLived;
        g_app.stats.yearsUsed = yearsUsed;
        g_app.stats.ageYears = ageYears;
        g_app.stats.dayOfYear = dayOfYear;
        g_app.stats.daysInYear = daysInYear;
    }
    // What one text on the bare background looks like, to compare a band of the paint with.
    static void DrawReference(Surface& s, int width, int height, int x, int y, HFONT font,
                              COLORREF color, const wchar_t* text) {
        FillSolid(s.dc(), RECT{0, 0, width, height}, COLOR_BACKGROUND);
        DrawTextAt(s.dc(), x, y, font, color, text);
    }
    LifeStats savedStats_ = {};
};

// ---- Progress bar -------------------------------------------------------------------------------

using ProgressBarTest = WidgetDrawTest;

TEST_F(ProgressBarTest, FillIsTruncatedAndThePercentageIsRightAligned) {
    const struct {
        int width, value, total, fill;
        const wchar_t* percent;
    } cases[] = {
        {272, 1768, 4680, 102, L"37,8 %"},   // 102.75 is not raised
        {272, 364, 365, 271, L"99,7 %"},     // 31 December of a common year
        {272, 0, 4680, 0, L"0,0 %"},
        {272, 0, 365, 0, L"0,0 %"},
        {272, 13, 5200, 0, L"0,2 %"},        // an exact tie goes to the even tenth
        {272, 39, 5200, 2, L"0,8 %"},
        {272, 4680, 4680, 272, L"100,0 %"},
        {339, 1768, 4680, 128, L"37,8 %"},
        // width × value passes 2^31: 2000 × 1500000 / 3000000 is 1000, not a wrapped product.
        {2000, 1500000, 3000000, 1000, L"50,0 %"},
    };
    const int x = 5, y = 10, height = 40;
    for (const auto& c : cases) {
        const int surfaceWidth = x + c.width + 10;
        Surface bar(surfaceWidth, height), reference(surfaceWidth, height);
        ASSERT_TRUE(bar.ok() && reference.ok());
        FillSolid(bar.dc(), RECT{0, 0, surfaceWidth, height}, COLOR_BACKGROUND);
        DrawProgressBar(bar.dc(), x, y, c.width, c.value, c.total, L"VIDA");

        const int percentWidth = TextWidth(reference.dc(), g_app.fontSmall, c.percent);
        DrawReference(reference, surfaceWidth, height, x, y, g_app.fontSmall, COLOR_MUTED,
                      L"VIDA");
        DrawTextAt(reference.dc(), x + c.width - percentWidth, y, g_app.fontSmall, COLOR_TEXT,
                   c.percent);
        const RECT textLine = {0, 0, surfaceWidth, y + 16};
        EXPECT_EQ(bar.Differences(reference, textLine), 0) << c.percent;

        for (int row = y + 16; row < y + 22; ++row) {
            EXPECT_EQ(bar.RunFrom(x, row, COLOR_ACCENT), c.fill) << c.value << " row " << row;
            EXPECT_EQ(bar.RunFrom(x + c.fill, row, COLOR_TRACK), c.width - c.fill) << c.value;
        }
        // Nothing above, below or beside the track.
        const RECT around[] = {{0, y + 15, surfaceWidth, y + 16},
                               {0, y + 22, surfaceWidth, height},
                               {0, y + 16, x, y + 22},
                               {x + c.width, y + 16, surfaceWidth, y + 22}};
        for (const RECT& r : around)
            EXPECT_EQ(bar.Count(r, COLOR_BACKGROUND), bar.Area(r)) << c.value;
    }
}

TEST_F(ProgressBarTest, TrackAndFillHeightsAreScaledOneByOne) {
    // At 120 dpi the fill starts Scale(16) = 20 below the label and is Scale(6) = 8 high.
    SetDpi(120);
    Surface bar(300, 60);
    ASSERT_TRUE(bar.ok());
    FillSolid(bar.dc(), RECT{0, 0, 300, 60}, COLOR_BACKGROUND);
    DrawProgressBar(bar.dc(), 10, 5, 200, 1, 2, L"VIDA");
    EXPECT_EQ(bar.At(10, 24), COLOR_BACKGROUND);
    EXPECT_EQ(bar.At(10, 25), COLOR_ACCENT);
    EXPECT_EQ(bar.At(10, 32), COLOR_ACCENT);
    EXPECT_EQ(bar.At(10, 33), COLOR_BACKGROUND);
    EXPECT_EQ(bar.RunFrom(10, 28, COLOR_ACCENT), 100);
    EXPECT_EQ(bar.RunFrom(110, 28, COLOR_TRACK), 100);
}

// ---- The whole frame ------------------------------------------------------------------------------

using WidgetFrameTest = WidgetDrawTest;

struct FrameCase {
    int weeksLived, yearsUsed, ageYears, dayOfYear, daysInYear;
    const wchar_t* weekLine;
    const wchar_t* totalLine;
    const wchar_t* lifePercent;
    const wchar_t* yearPercent;
    int lifeFill, yearFill;
};

TEST_F(WidgetFrameTest, StatisticsLayoutAt96Dpi) {
    const FrameCase cases[] = {
        // The usual picture: week 1.769 of 4.680 on 31 December of a common year.
        {1768, 90, 34, 365, 365, L"SEMANA 1.769", L"DE 4.680 \u00B7 TIENES 34 A\u00D1OS",
         L"37,8 %", L"99,7 %", 102, 271},
        // The first week of life on 1 January: both bars empty.
        {0, 90, 0, 1, 366, L"SEMANA 1", L"DE 4.680 \u00B7 TIENES 0 A\u00D1OS", L"0,0 %",
         L"0,0 %", 0, 0},
        // A hundred years, a tie in the percentage, and no singular for one year.
        {13, 100, 1, 183, 366, L"SEMANA 14", L"DE 5.200 \u00B7 TIENES 1 A\u00D1OS", L"0,2 %",
         L"49,7 %", 0, 135},
    };
    const int R = 300, B = 214, P = 14, W = 272;
    for (const FrameCase& c : cases) {
        SetStats(c.weeksLived, c.yearsUsed, c.ageYears, c.dayOfYear, c.daysInYear);
        Surface frame(R, B), reference(R, B);
        ASSERT_TRUE(frame.ok() && reference.ok());
        DrawWidgetFrame(frame.dc(), R, B);

        // Each text line against the same text alone, over the inner width.
        DrawReference(reference, R, B, P, 42, g_app.fontFigure, COLOR_TEXT, c.weekLine);
        EXPECT_EQ(frame.Differences(reference, RECT{1, 42, R - 1, 80}), 0) << c.weekLine;
        DrawReference(reference, R, B, P, 80, g_app.fontSmall, COLOR_MUTED, c.totalLine);
        EXPECT_EQ(frame.Differences(reference, RECT{1, 80, R - 1, 106}), 0) << c.totalLine;
        DrawReference(reference, R, B, P, 188, g_app.fontSmall, COLOR_MUTED,
                      L"Doble clic: abrir \u00B7 Clic derecho: opciones");
        EXPECT_EQ(frame.Differences(reference, RECT{1, 162, R - 10, B - 9}), 0) << "hint";

        const struct { int y; const wchar_t* label; const wchar_t* percent; int fill; } bars[] = {
            {106, L"VIDA", c.lifePercent, c.lifeFill},
            {140, L"ESTE A\u00D1O", c.yearPercent, c.yearFill},
        };
        for (const auto& bar : bars) {
            DrawReference(reference, R, B, P, bar.y, g_app.fontSmall, COLOR_MUTED, bar.label);
            const int percentWidth = TextWidth(reference.dc(), g_app.fontSmall, bar.percent);
            DrawTextAt(reference.dc(), P + W - percentWidth, bar.y, g_app.fontSmall, COLOR_TEXT,
                       bar.percent);
            EXPECT_EQ(frame.Differences(reference, RECT{1, bar.y, R - 1, bar.y + 16}), 0)
                << bar.label << " " << bar.percent;
            for (int row = bar.y + 16; row < bar.y + 22; ++row) {
                EXPECT_EQ(frame.RunFrom(P, row, COLOR_ACCENT), bar.fill) << bar.label;
                EXPECT_EQ(frame.RunFrom(P + bar.fill, row, COLOR_TRACK), W - bar.fill)
                    << bar.label;
                EXPECT_EQ(frame.At(P - 1, row), COLOR_BACKGROUND);
                EXPECT_EQ(frame.At(P + W, row), COLOR_BACKGROUND);
            }
        }
    }
}

TEST_F(WidgetFrameTest, FrameCornerMarksAndBrandMark) {
    SetStats(1768, 90, 34, 100, 365);
    const int R = 300, B = 214;
    Surface frame(R, B);
    ASSERT_TRUE(frame.ok());
    const HGDIOBJ font = GetCurrentObject(frame.dc(), OBJ_FONT);
    const HGDIOBJ brush = GetCurrentObject(frame.dc(), OBJ_BRUSH);
    const HGDIOBJ pen = GetCurrentObject(frame.dc(), OBJ_PEN);
    DrawWidgetFrame(frame.dc(), R, B);
    // The per-paint brand font is gone and nothing of the paint stays selected.
    EXPECT_EQ(GetCurrentObject(frame.dc(), OBJ_FONT), font);
    EXPECT_EQ(GetCurrentObject(frame.dc(), OBJ_BRUSH), brush);
    EXPECT_EQ(GetCurrentObject(frame.dc(), OBJ_PEN), pen);
    const struct { int x, y; COLORREF color; } pixels[] = {
        {150, 0, COLOR_BORDER},   {150, B - 1, COLOR_BORDER}, {0, 100, COLOR_BORDER},
        {R - 1, 100, COLOR_BORDER}, {R - 1, 0, COLOR_BORDER}, {0, B - 1, COLOR_BORDER},
        {0, 0, COLOR_ACCENT},     {8, 1, COLOR_ACCENT},       {9, 0, COLOR_BORDER},
        {1, 8, COLOR_ACCENT},     {2, 2, COLOR_BACKGROUND},   {0, 9, COLOR_BORDER},
        {R - 1, B - 1, COLOR_ACCENT}, {R - 9, B - 2, COLOR_ACCENT}, {R - 10, B - 1, COLOR_BORDER},
        {R - 2, B - 9, COLOR_ACCENT}, {R - 3, B - 3, COLOR_BACKGROUND},
        {150, 100, COLOR_BACKGROUND},
        // The brand parallelogram: 19 high from y 12, its top edge starting 3 to the right.
        {16, 12, COLOR_BACKGROUND}, {18, 12, COLOR_ACCENT}, {16, 29, COLOR_ACCENT},
        {15, 11, COLOR_BACKGROUND}, {15, 31, COLOR_BACKGROUND},
    };
    for (const auto& p : pixels) EXPECT_EQ(frame.At(p.x, p.y), p.color) << p.x << "," << p.y;
}

TEST_F(WidgetFrameTest, InvitationInsteadOfStatistics) {
    g_app.stats = LifeStats{};  // no date entered
    const int dpis[] = {96, 120};
    for (int dpi : dpis) {
        SetDpi(dpi);
        const int R = Scale(300), B = Scale(214), P = Scale(14);
        Surface frame(R, B), reference(R, B);
        ASSERT_TRUE(frame.ok() && reference.ok());
        DrawWidgetFrame(frame.dc(), R, B);

        DrawReference(reference, R, B, P, Scale(54), g_app.fontBody, COLOR_ACCENT,
                      L"Abre el calendario y");
        DrawTextAt(reference.dc(), P, Scale(72), g_app.fontBody, COLOR_ACCENT,
                   L"configura tu fecha.");
        const RECT below = {1, Scale(36), R - Scale(9), B - Scale(2)};
        EXPECT_EQ(frame.Differences(reference, below), 0) << dpi;
        EXPECT_GT(frame.Count(RECT{P, Scale(54), R - P, Scale(90)}, COLOR_ACCENT), 0) << dpi;
        // No track, no fill, no hint and no week line anywhere.
        EXPECT_EQ(frame.Count(RECT{0, 0, R, B}, COLOR_TRACK), 0) << dpi;
        EXPECT_EQ(frame.Count(RECT{1, Scale(36), R - 1, B - Scale(9)}, COLOR_MUTED), 0) << dpi;
    }
}

TEST_F(WidgetFrameTest, StatisticsLayoutFollowsTheDpi) {
    // 120 dpi: P 18, bars 339 wide, "VIDA" at 133 with its fill on rows 153..160.
    SetDpi(120);
    SetStats(1768, 90, 34, 365, 365);
    const int R = 375, B = 268;
    Surface frame(R, B);
    ASSERT_TRUE(frame.ok());
    DrawWidgetFrame(frame.dc(), R, B);
    EXPECT_EQ(frame.RunFrom(18, 153, COLOR_ACCENT), 128);
    EXPECT_EQ(frame.RunFrom(18, 160, COLOR_ACCENT), 128);
    EXPECT_EQ(frame.At(18, 152), COLOR_BACKGROUND);
    EXPECT_EQ(frame.At(18, 161), COLOR_BACKGROUND);
    EXPECT_EQ(frame.RunFrom(18 + 128, 155, COLOR_TRACK), 339 - 128);
    // "ESTE AÑO" at Scale(140) = 175: its fill on rows 195..202, 339 × 364 / 365 = 338.
    EXPECT_EQ(frame.RunFrom(18, 195, COLOR_ACCENT), 338);
    EXPECT_EQ(frame.RunFrom(18, 202, COLOR_ACCENT), 338);
    EXPECT_EQ(frame.At(18 + 338, 198), COLOR_TRACK);
}

// The header needs the brand mark's end plus Scale(12) plus its own width inside R - P.
TEST_F(WidgetFrameTest, HeaderOnlyWhenItFitsBesideTheBrandMark) {
    const int dpis[] = {96, 144};
    for (int dpi : dpis) {
        SetDpi(dpi);
        g_app.stats = LifeStats{};
        Surface probe(10, 10);
        HFONT brandFont = MakeFont(L"Bahnschrift Condensed", 15, 700, 1);
        const int brandEnd = Scale(14) + TextWidth(probe.dc(), brandFont, L"VOSK") + Scale(14) +
                             Scale(19) / 5 + Scale(7) +
                             TextWidth(probe.dc(), brandFont, L"TARNELLINE");
        DeleteObject(brandFont);
        const int headerWidth = TextWidth(probe.dc(), g_app.fontSmall, L"QUORVEL DAST");
        const int narrowest = brandEnd + Scale(12) + headerWidth + Scale(14);
        const int B = Scale(214);

        for (int R : {narrowest, narrowest - 1, narrowest + 40}) {
            const bool drawn = R >= narrowest;
            Surface frame(R, B), reference(R, B);
            ASSERT_TRUE(frame.ok() && reference.ok());
            DrawWidgetFrame(frame.dc(), R, B);
            DrawReference(reference, R, B, R - Scale(14) - headerWidth, Scale(15),
                          g_app.fontSmall, COLOR_MUTED, L"QUORVEL DAST");
            // Right of the brand mark's end, above the invitation.
            const RECT header = {brandEnd + Scale(6), Scale(9), R - 1, Scale(36)};
            const int muted = frame.Count(header, COLOR_MUTED);
            if (drawn) {
                EXPECT_EQ(frame.Differences(reference, header), 0) << R << " at " << dpi;
                EXPECT_GT(muted, 0) << R << " at " << dpi;
            } else {
                EXPECT_EQ(frame.Count(header, COLOR_BACKGROUND), frame.Area(header))
                    << R << " at " << dpi;
            }
        }
    }
}

// ---- The Run value, read and written here directly --------------------------------------------

static const wchar_t RUN_KEY[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
static const wchar_t RUN_VALUE[] = L"VoskTarnellineQuorvelDast";

static bool RunValueExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, RUN_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    const bool exists =
        RegQueryValueExW(key, RUN_VALUE, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return exists;
}

static std::wstring RunValueText() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, RUN_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return L"";
    wchar_t text[400] = {};
    DWORD type = 0, size = sizeof(text) - sizeof(wchar_t);
    RegQueryValueExW(key, RUN_VALUE, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    return type == REG_SZ ? std::wstring(text) : L"";
}

// A value of another type, as an unrelated earlier copy might have left: it still counts as on.
static void PutForeignRunValue() {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, RUN_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    const DWORD data = 7;
    RegSetValueExW(key, RUN_VALUE, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
    RegCloseKey(key);
}

static void DeleteRunValue() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, RUN_KEY, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueW(key, RUN_VALUE);
    RegCloseKey(key);
}

// ---- A real widget window of a test class --------------------------------------------------------

static const wchar_t TEST_WIDGET_CLASS[] = L"QuorvelWidgetUnderTest";

// The widget procedure behind a recorder of the menus it opens.
static int g_menusOpened = 0;
static LRESULT CALLBACK RecordingWidgetProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    if (message == WM_INITMENUPOPUP) ++g_menusOpened;
    return WidgetWndProc(window, message, wParam, lParam);
}

class WidgetWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = RecordingWidgetProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = TEST_WIDGET_CLASS;
        RegisterClassExW(&wc);
    }
    void SetUp() override {
        saved_ = g_app;
        g_menusOpened = 0;
        widget_ = CreateWindowExW(WS_EX_TOOLWINDOW, TEST_WIDGET_CLASS, L"", WS_POPUP, 100, 100,
                                  300, 214, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        calendar_ = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 200, 200, nullptr,
                                    nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(widget_, nullptr);
        ASSERT_NE(calendar_, nullptr);
        g_app.widgetWindow = widget_;
        g_app.calendarWindow = calendar_;
        g_app.iniPath[0] = L'\0';
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        ini_ = std::wstring(folder) + L"quorvel_widget_test.ini";
        DeleteFileW(ini_.c_str());
        hadRunValue_ = RunValueExists();
        DeleteRunValue();
    }
    void TearDown() override {
        if (IsWindow(widget_)) DestroyWindow(widget_);
        if (IsWindow(calendar_)) DestroyWindow(calendar_);
        // The fonts stay as a test may have remade them; the old handles are gone.
        AppState current = g_app;
        g_app = saved_;
        for (HFONT AppState::*font : {&AppState::fontBrand, &AppState::fontTitle,
                                      &AppState::fontFigure, &AppState::fontBody,
                                      &AppState::fontSmall, &AppState::fontButton,
                                      &AppState::fontEdit})
            g_app.*font = current.*font;
        DeleteFileW(ini_.c_str());
        DeleteRunValue();
        if (hadRunValue_) SetAutostart(true);
    }
    void UseIniFile() { wcscpy(g_app.iniPath, ini_.c_str()); }
    int ReadIni(const wchar_t* key) const {
        return static_cast<int>(GetPrivateProfileIntW(L"quorvel", key, 9999, ini_.c_str()));
    }
    static bool IsTopmost(HWND window) {
        return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    }
    static RECT WorkArea() {
        RECT work = {};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        return work;
    }
    // Stale statistics that any recomputation replaces: not valid, and yesterday's key.
    static void StaleStatistics(bool keyIsToday) {
        g_app.birthDay = 14;
        g_app.birthMonth = 5;
        g_app.birthYear = 1990;
        g_app.calendarYears = 90;
        g_app.setupMode = 0;
        g_app.stats = LifeStats{};
        g_app.stats.todayKey = DateKey(ReadLocalDate()) - (keyIsToday ? 0 : 1);
    }
    AppState saved_;
    HWND widget_ = nullptr;
    HWND calendar_ = nullptr;
    std::wstring ini_;
    bool hadRunValue_ = false;
};

TEST_F(WidgetWindowTest, CreationStartsOneDayTimer) {
    EXPECT_TRUE(KillTimer(widget_, 1));
    EXPECT_FALSE(KillTimer(widget_, 1));
}

TEST_F(WidgetWindowTest, EveryPointIsCaptionAndNothingIsErased) {
    RECT rect;
    GetWindowRect(widget_, &rect);
    const struct { int x, y; LRESULT hit; } cases[] = {
        {rect.left, rect.top, HTCAPTION},
        {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2, HTCAPTION},
        {rect.right - 1, rect.bottom - 1, HTCAPTION},
        {rect.right, rect.bottom, HTNOWHERE},  // outside: the system's answer passes unchanged
        {rect.left - 50, rect.top, HTNOWHERE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SendMessageW(widget_, WM_NCHITTEST, 0, MAKELPARAM(c.x, c.y)), c.hit)
            << c.x << "," << c.y;
    EXPECT_EQ(SendMessageW(widget_, WM_ERASEBKGND, 0, 0), 1);
}

// Which messages recompute the statistics: a clock change always, a tick and a resume only on
// a new date, any other power event never.
TEST_F(WidgetWindowTest, DayCheckClockChangeAndPowerEvents) {
    const struct {
        const char* name;
        UINT message;
        WPARAM wParam;
        bool keyIsToday, recomputes;
        LRESULT result;
    } cases[] = {
        {"tick, same day", WM_TIMER, 1, true, false, 0},
        {"tick, new day", WM_TIMER, 1, false, true, 0},
        {"tick of another id", WM_TIMER, 7, false, true, 0},
        {"clock change, same day", WM_TIMECHANGE, 0, true, true, 0},
        {"resume, new day", WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, false, true, 1},
        {"resume, same day", WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, true, false, 1},
        {"suspend", WM_POWERBROADCAST, PBT_APMSUSPEND, false, false, 1},
        {"power status", WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, false, false, 1},
    };
    for (const auto& c : cases) {
        StaleStatistics(c.keyIsToday);
        const int32_t staleKey = g_app.stats.todayKey;
        EXPECT_EQ(SendMessageW(widget_, c.message, c.wParam, 0), c.result) << c.name;
        EXPECT_EQ(g_app.stats.statsValid, c.recomputes ? 1 : 0) << c.name;
        if (c.recomputes)
            EXPECT_EQ(g_app.stats.todayKey, DateKey(ReadLocalDate())) << c.name;
        else
            EXPECT_EQ(g_app.stats.todayKey, staleKey) << c.name;
    }
}

TEST_F(WidgetWindowTest, CloseDestroysTheCalendarWindowOnly) {
    EXPECT_EQ(SendMessageW(widget_, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(calendar_));
    EXPECT_TRUE(IsWindow(widget_));
}

TEST_F(WidgetWindowTest, EndOfAMoveIsRememberedAndWrittenXThenY) {
    UseIniFile();
    const POINT places[] = {{321, 123}, {-250, 40}, {0, 0}};
    for (const POINT& p : places) {
        SetWindowPos(widget_, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_EQ(SendMessageW(widget_, WM_EXITSIZEMOVE, 0, 0), 0);
        EXPECT_EQ(g_app.widgetX, p.x);
        EXPECT_EQ(g_app.widgetY, p.y);
        EXPECT_EQ(ReadIni(L"widget_x"), p.x);
        EXPECT_EQ(ReadIni(L"widget_y"), p.y);
    }
    wchar_t section[200] = {};
    const DWORD n = GetPrivateProfileSectionW(L"quorvel", section, 200, ini_.c_str());
    ASSERT_GT(n, 0u);
    EXPECT_STREQ(section, L"widget_x=0");
    EXPECT_STREQ(section + wcslen(section) + 1, L"widget_y=0");
}

TEST_F(WidgetWindowTest, WithoutASettingsFileTheMoveStaysInTheState) {
    SetWindowPos(widget_, nullptr, 400, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(widget_, WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(g_app.widgetX, 400);
    EXPECT_EQ(g_app.widgetY, 300);
    EXPECT_EQ(GetFileAttributesW(ini_.c_str()), INVALID_FILE_ATTRIBUTES);

    // Back to the calendar and to the widget again: it comes back where it was left.
    ShowWidget(false);
    ShowWidget(true);
    RECT rect;
    GetWindowRect(widget_, &rect);
    EXPECT_EQ(rect.left, 400);
    EXPECT_EQ(rect.top, 300);
}

// Hiding a window costs Wine about two seconds without a window manager, so the cases only
// show the widget again; the way back to the calendar comes once at the end.
TEST_F(WidgetWindowTest, ShowingPlacesSizesAndStacksTheWidget) {
    const RECT work = WorkArea();
    const struct {
        int alwaysOnTop, savedX, savedY, dpi, x, y, width, height;
    } cases[] = {
        {0, -1, -1, 96, work.right - 324, work.top + 24, 300, 214},
        {5, 200, 300, 96, 200, 300, 300, 214},
        {1, work.right - 39, 10, 120, work.right - 405, work.top + 30, 375, 268},
        {0, 30, 40, 144, 30, 40, 450, 321},
    };
    ShowWindow(calendar_, SW_SHOW);
    for (const auto& c : cases) {
        g_app.alwaysOnTop = c.alwaysOnTop;
        g_app.widgetX = c.savedX;
        g_app.widgetY = c.savedY;
        g_app.dpi = c.dpi;
        ShowWidget(true);
        RECT rect;
        GetWindowRect(widget_, &rect);
        EXPECT_EQ(rect.left, c.x) << c.savedX;
        EXPECT_EQ(rect.top, c.y) << c.savedX;
        EXPECT_EQ(rect.right - rect.left, c.width) << c.dpi;
        EXPECT_EQ(rect.bottom - rect.top, c.height) << c.dpi;
        EXPECT_TRUE(IsWindowVisible(widget_));
        EXPECT_FALSE(IsWindowVisible(calendar_));
        EXPECT_EQ(IsTopmost(widget_), c.alwaysOnTop != 0) << c.alwaysOnTop;
        // A rejected place is not written back.
        EXPECT_EQ(g_app.widgetX, c.savedX);
        EXPECT_EQ(g_app.widgetY, c.savedY);
    }
    ShowWidget(false);
    EXPECT_FALSE(IsWindowVisible(widget_));
    EXPECT_TRUE(IsWindowVisible(calendar_));
    EXPECT_FALSE(IsTopmost(widget_));
}

// The window gets exactly the frame that DrawWidgetFrame draws: nothing erased, nothing missing.
TEST_F(WidgetWindowTest, PaintCopiesTheWholeFrameToTheWindow) {
    g_app.dpi = 96;
    CreateFonts();
    g_app.stats = LifeStats{};
    g_app.stats.statsValid = 1;
    g_app.stats.weeksLived = 1768;
    g_app.stats.yearsUsed = 90;
    g_app.stats.ageYears = 34;
    g_app.stats.dayOfYear = 200;
    g_app.stats.daysInYear = 365;
    ShowWidget(true);
    UpdateWindow(widget_);

    const int R = 300, B = 214;
    Surface shown(R, B), expected(R, B);
    ASSERT_TRUE(shown.ok() && expected.ok());
    HDC windowDc = GetDC(widget_);
    BitBlt(shown.dc(), 0, 0, R, B, windowDc, 0, 0, SRCCOPY);
    ReleaseDC(widget_, windowDc);
    DrawWidgetFrame(expected.dc(), R, B);
    EXPECT_EQ(shown.Differences(expected, RECT{0, 0, R, B}), 0);
    EXPECT_EQ(shown.RunFrom(14, 124, COLOR_ACCENT), 102);
}

TEST_F(WidgetWindowTest, DoubleClickReturnsToTheCalendar) {
    ShowWidget(true);
    ASSERT_TRUE(IsWindowVisible(widget_));
    EXPECT_EQ(SendMessageW(widget_, WM_NCLBUTTONDBLCLK, HTCAPTION, 0), 0);
    EXPECT_FALSE(IsWindowVisible(widget_));
    EXPECT_TRUE(IsWindowVisible(calendar_));
}

// ---- Context menu ---------------------------------------------------------------------------------

struct MenuItem {
    UINT type, id, state;
    std::wstring text;
};

static MenuItem ReadMenuItem(HMENU menu, int position) {
    wchar_t text[64] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 64;
    GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
    return MenuItem{info.fType, info.wID, info.fState, text};
}

TEST_F(WidgetWindowTest, MenuEntriesAndTheirCheckMarks) {
    const struct { int alwaysOnTop; bool autostart; } states[] = {
        {0, false}, {1, false}, {5, true}, {0, true}};
    for (const auto& s : states) {
        g_app.alwaysOnTop = s.alwaysOnTop;
        if (s.autostart) PutForeignRunValue(); else DeleteRunValue();
        HMENU menu = BuildWidgetMenu();
        ASSERT_EQ(GetMenuItemCount(menu), 6);
        const struct { UINT type, id; const wchar_t* text; bool checked; } expected[] = {
            {MFT_STRING, IDM_OPEN_CALENDAR, L"Abrir calendario completo", false},
            {MFT_SEPARATOR, 0, L"", false},
            {MFT_STRING, IDM_ALWAYS_ON_TOP, L"Siempre visible", s.alwaysOnTop != 0},
            {MFT_STRING, IDM_AUTOSTART, L"Iniciar con Windows", s.autostart},
            {MFT_SEPARATOR, 0, L"", false},
            {MFT_STRING, IDM_EXIT, L"Salir", false},
        };
        for (int i = 0; i < 6; ++i) {
            const MenuItem item = ReadMenuItem(menu, i);
            EXPECT_EQ(item.type, expected[i].type) << i;
            EXPECT_EQ(item.id, expected[i].id) << i;
            EXPECT_EQ(item.text, expected[i].text) << i;
            EXPECT_EQ((item.state & MFS_CHECKED) != 0, expected[i].checked)
                << i << " with encima " << s.alwaysOnTop << " autostart " << s.autostart;
        }
        DestroyMenu(menu);
    }
}

TEST_F(WidgetWindowTest, AlwaysOnTopTogglesStoresAndRestacks) {
    UseIniFile();
    g_app.alwaysOnTop = 5;  // loaded from the file: on
    const int expected[] = {0, 1, 0};
    for (int value : expected) {
        RunWidgetMenuCommand(IDM_ALWAYS_ON_TOP);
        EXPECT_EQ(g_app.alwaysOnTop, value);
        EXPECT_EQ(ReadIni(L"encima"), value);
        EXPECT_EQ(IsTopmost(widget_), value != 0);
    }
}

TEST_F(WidgetWindowTest, AutostartInvertsWhatTheRegistryHolds) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring command = L"\"" + std::wstring(path) + L"\" /widget";

    RunWidgetMenuCommand(IDM_AUTOSTART);
    EXPECT_EQ(RunValueText(), command);
    RunWidgetMenuCommand(IDM_AUTOSTART);
    EXPECT_FALSE(RunValueExists());
    // A value of another type counts as on: the choice deletes it.
    PutForeignRunValue();
    RunWidgetMenuCommand(IDM_AUTOSTART);
    EXPECT_FALSE(RunValueExists());
}

TEST_F(WidgetWindowTest, OpenCalendarExitAndDismissal) {
    ShowWidget(true);
    UseIniFile();
    g_app.alwaysOnTop = 0;
    RunWidgetMenuCommand(0);  // dismissed
    RunWidgetMenuCommand(999);
    EXPECT_TRUE(IsWindowVisible(widget_));
    EXPECT_EQ(g_app.alwaysOnTop, 0);
    EXPECT_FALSE(RunValueExists());
    EXPECT_EQ(GetFileAttributesW(ini_.c_str()), INVALID_FILE_ATTRIBUTES);

    RunWidgetMenuCommand(IDM_OPEN_CALENDAR);
    EXPECT_FALSE(IsWindowVisible(widget_));
    EXPECT_TRUE(IsWindowVisible(calendar_));

    RunWidgetMenuCommand(IDM_EXIT);
    EXPECT_FALSE(IsWindow(calendar_));
    EXPECT_TRUE(IsWindow(widget_));
}

// The menu really opens on WM_CONTEXTMENU; keys posted into its loop choose "Siempre visible"
// (the second item, past the separator), Esc dismisses it.
static std::vector<UINT> g_menuKeys;
static void CALLBACK PressMenuKeys(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    for (UINT key : g_menuKeys) PostMessageW(g_app.widgetWindow, WM_KEYDOWN, key, 0);
}

TEST_F(WidgetWindowTest, ContextMenuOpensAndActsOnTheChoice) {
    const struct { std::vector<UINT> keys; int alwaysOnTop; } cases[] = {
        {{VK_ESCAPE}, 0},
        {{VK_DOWN, VK_DOWN, VK_RETURN}, 1},
    };
    ShowWidget(true);
    for (const auto& c : cases) {
        g_app.alwaysOnTop = 0;
        g_menusOpened = 0;
        g_menuKeys = c.keys;
        SetTimer(nullptr, 0, 100, PressMenuKeys);
        EXPECT_EQ(SendMessageW(widget_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(widget_),
                               MAKELPARAM(-1, -1)),
                  0);
        EXPECT_EQ(g_menusOpened, 1);
        EXPECT_EQ(g_app.alwaysOnTop, c.alwaysOnTop);
        EXPECT_EQ(IsTopmost(widget_), c.alwaysOnTop != 0);
    }
}
