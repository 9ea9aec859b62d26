// The drawing kit's arithmetic and resources: scale, number texts, fonts and the DPI lookup.
#include <gtest/gtest.h>

#include <climits>
#include <cwchar>
#include <string>
#include <vector>

#include "draw/draw.h"
#include "draw/pure.h"

// ---- Scale ------------------------------------------------------------------------------------

// Leaves the process-wide DPI, fonts and lookup cache as a later test expects to find them.
class DrawStateTest : public ::testing::Test {
protected:
    void TearDown() override {
        g_app.dpi = 96;
        g_app.editDay = g_app.editMonth = g_app.editYear = g_app.editYears = nullptr;
        g_app.dpiLookupDone = false;
        g_app.getDpiForWindow = nullptr;
    }
};

using ScaleTest = DrawStateTest;

TEST_F(ScaleTest, RoundsHalvesUpAtCommonDpis) {
    const struct { int dpi, v, expected; } cases[] = {
        {120, 14, 18},  {120, 9, 11},   {120, 2, 3},    {120, 6, 8},   {120, 300, 375},
        {120, 214, 268}, {120, 28, 35}, {120, 32, 40},  {144, 19, 29}, {144, 7, 11},
        {144, 1, 2},    {144, 28, 42},  {144, 0, 0},    {120, -2, -3}, {144, -1, -2},
    };
    for (const auto& c : cases) {
        g_app.dpi = c.dpi;
        EXPECT_EQ(Scale(c.v), c.expected) << c.v << " at " << c.dpi;
        EXPECT_EQ(ScaleAt(c.v, c.dpi), c.expected) << c.v << " at " << c.dpi;
    }
}

TEST_F(ScaleTest, IsTheIdentityAt96Dpi) {
    g_app.dpi = 96;
    for (int v = -1000; v <= 1000; ++v) ASSERT_EQ(Scale(v), v);
}

// ScaleAt must agree with the platform's MulDiv everywhere, or layout computed from it would
// drift from what the painter draws with Scale.
TEST(ScaleAt, MatchesMulDivIncludingNegativesAndExtremes) {
    const int dpis[] = {72, 96, 100, 120, 125, 144, 168, 192, 240, 288, 384, 0, -96, -120};
    for (int dpi : dpis)
        for (int v = -3000; v <= 3000; ++v)
            ASSERT_EQ(ScaleAt(v, dpi), MulDiv(v, dpi, 96)) << v << " at " << dpi;

    const int extremes[] = {INT_MAX, INT_MIN, INT_MAX - 1, INT_MIN + 1, INT_MAX / 2, INT_MIN / 2,
                            17895697, -17895697, 22369621, 22369622, -22369622, 1431655765};
    for (int dpi : dpis)
        for (int v : extremes) EXPECT_EQ(ScaleAt(v, dpi), MulDiv(v, dpi, 96)) << v << " at " << dpi;
}

// ---- Number and percentage text ---------------------------------------------------------------

TEST(FormatGrouped, PutsAPointBeforeEveryGroupOfThree) {
    const struct { int32_t value; const wchar_t* expected; } cases[] = {
        {0, L"0"},
        {7, L"7"},
        {999, L"999"},
        {1000, L"1.000"},
        {1769, L"1.769"},
        {4680, L"4.680"},
        {100000, L"100.000"},
        {1234567, L"1.234.567"},
        {2147483647, L"2.147.483.647"},
        {-1234, L"-1.234"},
        {-123, L"-123"},
    };
    for (const auto& c : cases) {
        wchar_t out[GROUPED_TEXT_MAX];
        FormatGrouped(out, c.value);
        EXPECT_STREQ(out, c.expected) << c.value;
    }
}

// "-2.147.483.648" needs 15 units; the buffer callers pass holds 14.
TEST(FormatGrouped, CutsRatherThanOverrunsTheBuffer) {
    wchar_t out[GROUPED_TEXT_MAX + 4];
    wmemset(out, L'#', GROUPED_TEXT_MAX + 4);
    FormatGrouped(out, INT_MIN);
    EXPECT_STREQ(out, L"-2.147.483.64");
    for (int i = GROUPED_TEXT_MAX; i < GROUPED_TEXT_MAX + 4; ++i) EXPECT_EQ(out[i], L'#') << i;
}

TEST(FormatPercent, OneDecimalWithCommaAndTiesToEven) {
    const struct { double p; const wchar_t* expected; } cases[] = {
        {3400.0 / 90.0, L"37,8 %"},
        {0.0, L"0,0 %"},
        {100.0, L"100,0 %"},
        {50.0, L"50,0 %"},
        {365 * 100.0 / 366, L"99,7 %"},
        {0.25, L"0,2 %"},  // exact tie
        {0.75, L"0,8 %"},  // exact tie
        {12.5, L"12,5 %"},
        {13 * 100.0 / 5200, L"0,2 %"},
        {39 * 100.0 / 5200, L"0,8 %"},
        {0.15, L"0,1 %"},  // the double lies just below 0.15
        {0.35, L"0,3 %"},  // just below 0.35
        {99.95, L"100,0 %"},  // just above 99.95
    };
    for (const auto& c : cases) {
        wchar_t out[PERCENT_TEXT_MAX];
        FormatPercent(out, c.p);
        EXPECT_STREQ(out, c.expected) << c.p;
    }
}

// ---- Fonts ------------------------------------------------------------------------------------

static LOGFONTW FontOf(HFONT font) {
    LOGFONTW log = {};
    EXPECT_EQ(GetObjectW(font, sizeof(log), &log), static_cast<int>(sizeof(log)));
    return log;
}

using MakeFontTest = DrawStateTest;

TEST_F(MakeFontTest, AsksForTheScaledCharacterHeightAndTheGivenStyle) {
    const struct { const wchar_t* face; int size, weight, italic, dpi, height; } cases[] = {
        {L"Consolas", 11, 400, 0, 96, -11},
        {L"Consolas", 11, 400, 0, 120, -14},
        {L"Bahnschrift Condensed", 22, 700, 1, 120, -28},
        {L"Bahnschrift Condensed", 40, 700, 1, 144, -60},
        {L"Consolas", 17, 400, 0, 144, -26},
    };
    for (const auto& c : cases) {
        g_app.dpi = c.dpi;
        HFONT font = MakeFont(c.face, c.size, c.weight, c.italic);
        ASSERT_NE(font, nullptr);
        const LOGFONTW log = FontOf(font);
        EXPECT_EQ(log.lfHeight, c.height) << c.size << " at " << c.dpi;
        EXPECT_EQ(log.lfWidth, 0);
        EXPECT_EQ(log.lfEscapement, 0);
        EXPECT_EQ(log.lfOrientation, 0);
        EXPECT_EQ(log.lfWeight, c.weight);
        EXPECT_EQ(log.lfItalic, c.italic);
        EXPECT_EQ(log.lfUnderline, 0);
        EXPECT_EQ(log.lfStrikeOut, 0);
        EXPECT_EQ(log.lfCharSet, DEFAULT_CHARSET);
        EXPECT_EQ(log.lfOutPrecision, OUT_DEFAULT_PRECIS);
        EXPECT_EQ(log.lfClipPrecision, CLIP_DEFAULT_PRECIS);
        EXPECT_EQ(log.lfQuality, CLEARTYPE_QUALITY);
        EXPECT_EQ(log.lfPitchAndFamily, DEFAULT_PITCH | FF_DONTCARE);
        EXPECT_STREQ(log.lfFaceName, c.face);
        DeleteObject(font);
    }
}

struct SharedFontRow {
    HFONT AppState::*field;
    const wchar_t* name;
    const wchar_t* face;
    int size, weight, italic;
};

static const SharedFontRow SHARED_FONT_ROWS[] = {
    {&AppState::fontBrand, L"fontBrand", L"Bahnschrift Condensed", 22, 700, 1},
    {&AppState::fontTitle, L"fontTitle", L"Bahnschrift Condensed", 40, 700, 1},
    {&AppState::fontFigure, L"fontFigure", L"Bahnschrift Condensed", 30, 700, 1},
    {&AppState::fontBody, L"fontBody", L"Consolas", 13, 400, 0},
    {&AppState::fontSmall, L"fontSmall", L"Consolas", 11, 400, 0},
    {&AppState::fontButton, L"fontButton", L"Consolas", 12, 400, 0},
    {&AppState::fontEdit, L"fontEdit", L"Consolas", 17, 400, 0},
};

// The WM_SETFONT messages sent on this thread while a hook is installed.
struct SentFont {
    HWND window;
    WPARAM font;
    LPARAM redraw;
};
static std::vector<SentFont> g_sentFonts;

static LRESULT CALLBACK RecordSetFont(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_SETFONT)
        g_sentFonts.push_back({sent->hwnd, sent->wParam, sent->lParam});
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class CreateFontsTest : public DrawStateTest {
protected:
    void SetUp() override { g_sentFonts.clear(); }
    void TearDown() override {
        if (hook_) UnhookWindowsHookEx(hook_);
        if (parent_) DestroyWindow(parent_);
        DrawStateTest::TearDown();
    }
    void Hook() {
        hook_ = SetWindowsHookExW(WH_CALLWNDPROC, RecordSetFont, nullptr, GetCurrentThreadId());
        ASSERT_NE(hook_, nullptr);
    }
    // A hidden parent with the four setup fields, as the calendar window creates them.
    void CreateEditFields() {
        parent_ = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 300, 200, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(parent_, nullptr);
        HWND* fields[4] = {&g_app.editDay, &g_app.editMonth, &g_app.editYear, &g_app.editYears};
        for (int i = 0; i < 4; ++i) {
            *fields[i] = CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, i * 30, 80, 24, parent_,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(101 + i)),
                                         GetModuleHandleW(nullptr), nullptr);
            ASSERT_NE(*fields[i], nullptr);
        }
    }
    HHOOK hook_ = nullptr;
    HWND parent_ = nullptr;
};

TEST_F(CreateFontsTest, MakesTheSevenFontsOfTheTableAtTheCurrentDpi) {
    const int dpis[] = {96, 120, 144};
    for (int dpi : dpis) {
        g_app.dpi = dpi;
        CreateFonts();
        for (const SharedFontRow& row : SHARED_FONT_ROWS) {
            HFONT font = g_app.*row.field;
            ASSERT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT)) << row.name;
            const LOGFONTW log = FontOf(font);
            EXPECT_EQ(log.lfHeight, -MulDiv(row.size, dpi, 96)) << row.name << " at " << dpi;
            EXPECT_EQ(log.lfWeight, row.weight) << row.name;
            EXPECT_EQ(log.lfItalic, row.italic) << row.name;
            EXPECT_EQ(log.lfQuality, CLEARTYPE_QUALITY) << row.name;
            EXPECT_STREQ(log.lfFaceName, row.face) << row.name;
        }
    }
}

TEST_F(CreateFontsTest, SecondCallDeletesTheFirstSet) {
    CreateFonts();
    HFONT first[7];
    for (int i = 0; i < 7; ++i) first[i] = g_app.*SHARED_FONT_ROWS[i].field;

    g_app.dpi = 120;
    CreateFonts();
    for (int i = 0; i < 7; ++i) {
        const SharedFontRow& row = SHARED_FONT_ROWS[i];
        EXPECT_EQ(GetObjectType(first[i]), 0u) << row.name << " of the first set is still alive";
        HFONT now = g_app.*row.field;
        EXPECT_EQ(GetObjectType(now), static_cast<DWORD>(OBJ_FONT)) << row.name;
        for (int j = 0; j < i; ++j)
            EXPECT_NE(now, g_app.*SHARED_FONT_ROWS[j].field) << row.name << " shares a handle";
    }
}

// SendMessageW to a null window fails with ERROR_INVALID_WINDOW_HANDLE, which the hook cannot
// see: the last error shows whether CreateFonts tried it.
TEST_F(CreateFontsTest, SendsNothingWithoutEditFields) {
    SetLastError(0);
    SendMessageW(nullptr, WM_SETFONT, 0, 1);
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));

    Hook();
    SetLastError(0);
    CreateFonts();
    EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_TRUE(g_sentFonts.empty());
}

TEST_F(CreateFontsTest, GivesTheEditFontToEachFieldInOrder) {
    CreateEditFields();
    Hook();
    CreateFonts();
    HWND order[4] = {g_app.editDay, g_app.editMonth, g_app.editYear, g_app.editYears};
    ASSERT_EQ(g_sentFonts.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(g_sentFonts[i].window, order[i]) << i;
        EXPECT_EQ(g_sentFonts[i].font, reinterpret_cast<WPARAM>(g_app.fontEdit)) << i;
        EXPECT_EQ(g_sentFonts[i].redraw, 1) << i;
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(order[i], WM_GETFONT, 0, 0)),
                  g_app.fontEdit)
            << i;
    }

    // Fields that do not exist are skipped; the others still get the new font.
    g_app.editMonth = nullptr;
    g_app.editYears = nullptr;
    g_sentFonts.clear();
    CreateFonts();
    ASSERT_EQ(g_sentFonts.size(), 2u);
    EXPECT_EQ(g_sentFonts[0].window, order[0]);
    EXPECT_EQ(g_sentFonts[1].window, order[2]);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(order[2], WM_GETFONT, 0, 0)), g_app.fontEdit);
}

// ---- Window DPI -------------------------------------------------------------------------------

static int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

static UINT WINAPI FakeDpiForWindow(HWND) { return 177; }

class WindowDpiTest : public DrawStateTest {
protected:
    void SetUp() override {
        g_app.dpiLookupDone = false;
        g_app.getDpiForWindow = nullptr;
        window_ = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        DestroyWindow(window_);
        DrawStateTest::TearDown();
    }
    HWND window_ = nullptr;
};

TEST_F(WindowDpiTest, FirstCallWithoutWindowLooksUpTheEntryAndGivesTheScreenDpi) {
    EXPECT_EQ(GetWindowDpi(nullptr), static_cast<UINT>(ScreenDpi()));
    EXPECT_TRUE(g_app.dpiLookupDone);
    FARPROC entry = GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
    ASSERT_NE(entry, nullptr) << "this system has no GetDpiForWindow";
    EXPECT_EQ(reinterpret_cast<void*>(g_app.getDpiForWindow), reinterpret_cast<void*>(entry));
}

TEST_F(WindowDpiTest, WindowDpiComesFromTheSystemEntry) {
    const UINT dpi = GetWindowDpi(window_);
    ASSERT_NE(g_app.getDpiForWindow, nullptr);
    EXPECT_EQ(dpi, g_app.getDpiForWindow(window_));
    EXPECT_EQ(dpi, static_cast<UINT>(ScreenDpi()));  // one monitor, one DPI
}

TEST_F(WindowDpiTest, LaterCallsReuseTheStoredEntry) {
    GetWindowDpi(nullptr);
    g_app.getDpiForWindow = FakeDpiForWindow;
    EXPECT_EQ(GetWindowDpi(window_), 177u);
    EXPECT_EQ(GetWindowDpi(nullptr), static_cast<UINT>(ScreenDpi()));
    EXPECT_EQ(reinterpret_cast<void*>(g_app.getDpiForWindow),
              reinterpret_cast<void*>(FakeDpiForWindow));
}

TEST_F(WindowDpiTest, WithoutTheEntryAWindowGetsTheScreenDpi) {
    g_app.dpiLookupDone = true;  // looked up on a system that lacks it
    g_app.getDpiForWindow = nullptr;
    EXPECT_EQ(GetWindowDpi(window_), static_cast<UINT>(ScreenDpi()));
}
