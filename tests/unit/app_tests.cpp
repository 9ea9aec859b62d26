// The settings file against real INI files, the settings path at its length limit, and the
// start-with-Windows value in the registry of the test prefix.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>

#include "app/app.h"

namespace {

// ---- Settings file ---------------------------------------------------------------------------

// Each case loads from a file of its own (the platform keeps recently read files in memory);
// g_app is put back as it was afterwards.
class SettingsFile : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = g_app;
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        GetTempFileNameW(folder, L"qrv", 0, path_);
        wcscpy(g_app.iniPath, path_);
    }
    void TearDown() override {
        DeleteFileW(path_);
        g_app = saved_;
    }
    void WriteFileText(const std::string& bytes) {
        FILE* file = _wfopen(path_, L"wb");
        ASSERT_NE(file, nullptr);
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
    }
    // Fills every stored field with a value no file here holds, then loads.
    void Load(const std::string& bytes) {
        WriteFileText(bytes);
        LoadAfterScribbling();
    }
    static void LoadAfterScribbling() {
        g_app.birthDay = g_app.birthMonth = g_app.birthYear = 555;
        g_app.calendarYears = g_app.alwaysOnTop = g_app.widgetX = g_app.widgetY = 555;
        g_app.view = 2;
        LoadSettings();
    }
    static void ExpectDefaults() {
        EXPECT_EQ(g_app.birthDay, 0);
        EXPECT_EQ(g_app.birthMonth, 0);
        EXPECT_EQ(g_app.birthYear, 0);
        EXPECT_EQ(g_app.calendarYears, 90);
        EXPECT_EQ(g_app.view, VIEW_WEEKS);
        EXPECT_EQ(g_app.alwaysOnTop, 0);
        EXPECT_EQ(g_app.widgetX, -1);
        EXPECT_EQ(g_app.widgetY, -1);
    }

    AppState saved_;
    wchar_t path_[MAX_PATH] = {};
};

TEST_F(SettingsFile, NoFileOrNoPathGivesEveryDefault) {
    DeleteFileW(path_);
    LoadAfterScribbling();
    ExpectDefaults();

    // An empty path switches reading off even though a file with values exists elsewhere.
    WriteFileText("[quorvel]\r\ndia=3\r\nvida=50\r\nwidget_x=10\r\n");
    g_app.iniPath[0] = L'\0';
    LoadAfterScribbling();
    ExpectDefaults();
}

TEST_F(SettingsFile, EveryKeyIsLoadedUnchanged) {
    // An impossible date and an out-of-range "vida" are the statistics' business, not the load's.
    Load("[quorvel]\r\ndia=31\r\nmes=2\r\nanio=1990\r\nvida=150\r\nvista=3\r\n"
         "encima=7\r\nwidget_x=-1\r\nwidget_y=-300\r\n");
    EXPECT_EQ(g_app.birthDay, 31);
    EXPECT_EQ(g_app.birthMonth, 2);
    EXPECT_EQ(g_app.birthYear, 1990);
    EXPECT_EQ(g_app.calendarYears, 150);
    EXPECT_EQ(g_app.view, VIEW_THIS_YEAR);
    EXPECT_EQ(g_app.alwaysOnTop, 7);  // any non-zero value means on
    EXPECT_EQ(g_app.widgetX, -1);
    EXPECT_EQ(g_app.widgetY, -300);

    // The date present and "vida" missing: 90 years.
    Load("[quorvel]\r\ndia=14\r\nmes=6\r\nanio=1985\r\n");
    EXPECT_EQ(g_app.birthDay, 14);
    EXPECT_EQ(g_app.calendarYears, 90);
    EXPECT_EQ(g_app.widgetX, -1);
}

TEST_F(SettingsFile, ViewOutsideZeroToThreeBecomesWeeks) {
    const struct {
        const char* text;
        int32_t expected;
    } cases[] = {
        {"0", VIEW_WEEKS}, {"2", VIEW_YEARS}, {"3", VIEW_THIS_YEAR}, {"4", VIEW_WEEKS},
        {"7", VIEW_WEEKS}, {"9", VIEW_WEEKS}, {"-1", VIEW_WEEKS}, {"-2147483648", VIEW_WEEKS},
    };
    for (const auto& c : cases) {
        Load(std::string("[quorvel]\r\nvista=") + c.text + "\r\n");
        EXPECT_EQ(g_app.view, c.expected) << c.text;
    }
}

TEST_F(SettingsFile, HostileValues) {
    const struct {
        const char* line;
        int32_t AppState::*field;
        int32_t expected;
    } cases[] = {
        // Read as the platform's integer reader reads them.
        {"widget_x=abc", &AppState::widgetX, 0},
        {"widget_x=12abc", &AppState::widgetX, 12},
        {"widget_x=   42   ", &AppState::widgetX, 42},
        {"widget_x=+5", &AppState::widgetX, 5},
        {"widget_x=-5", &AppState::widgetX, -5},
        {"widget_x=0x10", &AppState::widgetX, 16},
        {"widget_x=2147483647", &AppState::widgetX, INT32_MAX},
        {"widget_x=-2147483648", &AppState::widgetX, INT32_MIN},
        // Beyond int32 the reader wraps (4294967297 would be 1): taken as missing instead.
        {"widget_x=2147483648", &AppState::widgetX, -1},
        {"widget_x=4294967297", &AppState::widgetX, -1},
        {"widget_x=99999999999", &AppState::widgetX, -1},
        {"widget_x=-2147483649", &AppState::widgetX, -1},
        {"widget_x=-99999999999", &AppState::widgetX, -1},
        {"widget_x=0x100000005", &AppState::widgetX, -1},
        {"widget_x=1234567890123456789012345678901234567890123456789012345678901234567890",
         &AppState::widgetX, -1},
        {"vida=4294967386", &AppState::calendarYears, 90},
        {"dia=-4294967289", &AppState::birthDay, 0},
    };
    for (const auto& c : cases) {
        Load(std::string("[quorvel]\r\n") + c.line + "\r\n");
        EXPECT_EQ(g_app.*c.field, c.expected) << c.line;
    }
}

TEST_F(SettingsFile, LineEndsSpacingAndSections) {
    const struct {
        const char* file;
        int32_t day, years;
    } cases[] = {
        {"[quorvel]\r\ndia=5\r\nvida=80\r\n", 5, 80},
        {"[quorvel]\ndia=5\nvida=80\n", 5, 80},
        {"[quorvel]\ndia=5\nvida=80", 5, 80},  // no line end after the last value
        {"[QUORVEL]\r\nDIA = 5\r\nvida=80\r\n", 5, 80},
        {"[otra]\r\ndia=9\r\n[quorvel]\r\nvida=80\r\n[mas]\r\ndia=7\r\n", 0, 80},
        {"dia=5\r\nvida=80\r\n", 0, 90},            // no section header at all
        {"[otra]\r\ndia=5\r\nvida=80\r\n", 0, 90},  // only some other section
    };
    for (const auto& c : cases) {
        Load(c.file);
        EXPECT_EQ(g_app.birthDay, c.day) << c.file;
        EXPECT_EQ(g_app.calendarYears, c.years) << c.file;
    }
}

TEST_F(SettingsFile, WrittenValuesReadBack) {
    DeleteFileW(path_);  // the first write creates the file
    const struct {
        const wchar_t* key;
        int32_t value;
        int32_t AppState::*field;
    } cases[] = {
        {L"dia", 7, &AppState::birthDay},            {L"mes", 12, &AppState::birthMonth},
        {L"anio", 1984, &AppState::birthYear},       {L"vida", 120, &AppState::calendarYears},
        {L"vista", 1, &AppState::view},              {L"encima", 0, &AppState::alwaysOnTop},
        {L"widget_x", -1920, &AppState::widgetX},    {L"widget_y", INT32_MIN, &AppState::widgetY},
    };
    WriteSetting(L"encima", 1);  // the table's write of "encima" then replaces this one
    for (const auto& c : cases) WriteSetting(c.key, c.value);
    LoadAfterScribbling();
    for (const auto& c : cases) EXPECT_EQ(g_app.*c.field, c.value) << c.key;

    wchar_t text[32];
    GetPrivateProfileStringW(L"quorvel", L"widget_y", L"", text, 32, path_);
    EXPECT_STREQ(text, L"-2147483648");
}

// ---- Settings path ---------------------------------------------------------------------------

TEST(SettingsPath, WholeFileFitsOrNothing) {
    // "\VoskTarnelline" is 15 units and "\quorvel.ini" 12: a folder of 232 units gives a file
    // path of 259, the most that fits with its terminator.
    const struct {
        size_t appDataLength;
        bool fits;
    } cases[] = {{3, true}, {40, true}, {232, true}, {233, false}, {244, false}, {259, false}};
    for (const auto& c : cases) {
        std::wstring appData = L"C:";
        appData.append(c.appDataLength - 2, L'd');
        struct {
            wchar_t folder[INI_PATH_MAX];
            wchar_t file[INI_PATH_MAX];
            wchar_t guard[8];
        } out;
        wmemset(out.folder, L'#', INI_PATH_MAX);
        wmemset(out.file, L'#', INI_PATH_MAX);
        wmemset(out.guard, L'#', 8);

        EXPECT_EQ(ComposeSettingsPaths(appData.c_str(), out.folder, out.file), c.fits)
            << c.appDataLength;
        if (c.fits) {
            EXPECT_EQ(std::wstring(out.folder), appData + L"\\VoskTarnelline");
            EXPECT_EQ(std::wstring(out.file), appData + L"\\VoskTarnelline\\quorvel.ini");
        } else {
            EXPECT_STREQ(out.folder, L"") << c.appDataLength;
            EXPECT_STREQ(out.file, L"") << c.appDataLength;
        }
        EXPECT_EQ(std::wstring(out.guard, 8), std::wstring(8, L'#'));
    }
}

TEST(SettingsPath, BuiltUnderRoamingAppDataWithItsFolder) {
    const AppState saved = g_app;
    BuildSettingsPath();
    const std::wstring path = g_app.iniPath;
    g_app = saved;

    const std::wstring tail = L"\\VoskTarnelline\\quorvel.ini";
    ASSERT_GT(path.size(), tail.size());
    EXPECT_EQ(path.substr(path.size() - tail.size()), tail);
    const std::wstring folder = path.substr(0, path.size() - 12);
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(ProfileNumber, FitsInt32AsTheReaderParsesIt) {
    const struct {
        const wchar_t* text;
        bool fits;
    } cases[] = {
        {L"", true},           {L"abc", true},         {L"2147483647", true},
        {L"-2147483648", true}, {L"2147483648", false}, {L"-2147483649", false},
        {L"+2147483648", false}, {L" \t 4294967296", false}, {L"0x7fffffff", true},
        {L"0x80000000", false}, {L"-0x80000000", true}, {L"0b111", true},
        {L"00000000002147483647", true}, {L"2147483647abc", true}, {L"21474836470", false},
    };
    for (const auto& c : cases) EXPECT_EQ(ProfileNumberFitsInt32(c.text), c.fits) << c.text;
}

// ---- Start with Windows ----------------------------------------------------------------------

const wchar_t RUN_KEY[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Every case starts and ends without the value.
class Autostart : public ::testing::Test {
  protected:
    void SetUp() override { DeleteValue(); }
    void TearDown() override { DeleteValue(); }
    static void DeleteValue() { RegDeleteKeyValueW(HKEY_CURRENT_USER, RUN_KEY, CALENDAR_CLASS_NAME); }
    static void SetValue(DWORD type, const void* data, DWORD size) {
        RegSetKeyValueW(HKEY_CURRENT_USER, RUN_KEY, CALENDAR_CLASS_NAME, type, data, size);
    }
    struct Stored {
        bool exists;
        DWORD type, size;
        std::wstring text;
    };
    static Stored ReadValue() {
        Stored stored = {false, 0, 0, L""};
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, RUN_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return stored;
        // The raw query: it reports the size as stored, terminator or not.
        wchar_t data[512] = {};
        DWORD size = sizeof(data) - sizeof(wchar_t);
        stored.exists = RegQueryValueExW(key, CALENDAR_CLASS_NAME, nullptr, &stored.type,
                                         reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS;
        RegCloseKey(key);
        stored.size = size;
        if (stored.exists && stored.type == REG_SZ) stored.text = data;
        return stored;
    }
    static std::wstring ExpectedText() {
        wchar_t module[MAX_PATH];
        GetModuleFileNameW(nullptr, module, MAX_PATH);
        return L"\"" + std::wstring(module) + L"\" /widget";
    }
    static void Toggle() { SetAutostart(!IsAutostartEnabled()); }
};

TEST_F(Autostart, RoundTripWritesTheQuotedPathWithTheSwitch) {
    EXPECT_FALSE(IsAutostartEnabled());
    SetAutostart(true);
    EXPECT_TRUE(IsAutostartEnabled());
    const Stored stored = ReadValue();
    ASSERT_TRUE(stored.exists);
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored.text, ExpectedText());
    EXPECT_EQ(stored.size, (ExpectedText().size() + 1) * sizeof(wchar_t));

    SetAutostart(true);  // writing again replaces, never doubles
    EXPECT_EQ(ReadValue().text, ExpectedText());

    SetAutostart(false);
    EXPECT_FALSE(IsAutostartEnabled());
    EXPECT_FALSE(ReadValue().exists);
    SetAutostart(false);  // deleting what is not there changes nothing
    EXPECT_FALSE(IsAutostartEnabled());
}

TEST_F(Autostart, AnyValueOfTheNameCountsAsOnAndTheToggleRemovesIt) {
    const DWORD number = 1;
    const wchar_t oldPath[] = L"\"C:\\Viejo\\quorvel.exe\" /widget";
    const struct {
        DWORD type;
        const void* data;
        DWORD size;
    } cases[] = {
        {REG_DWORD, &number, sizeof(number)},
        {REG_SZ, oldPath, sizeof(oldPath)},
        {REG_BINARY, nullptr, 0},
    };
    for (const auto& c : cases) {
        SetValue(c.type, c.data, c.size);
        EXPECT_TRUE(IsAutostartEnabled()) << c.type;
        Toggle();
        EXPECT_FALSE(ReadValue().exists) << c.type;
        Toggle();  // the toggle after that writes the current path
        EXPECT_EQ(ReadValue().type, static_cast<DWORD>(REG_SZ)) << c.type;
        EXPECT_EQ(ReadValue().text, ExpectedText()) << c.type;
        DeleteValue();
    }
}

TEST(AutostartCommand, QuotedPathOrNothingWhenThePathWasCut) {
    const std::wstring twenty = L"C:\\Apps\\quorvel1.exe";
    ASSERT_EQ(twenty.size(), 20u);
    const std::wstring longest = L"C:\\" + std::wstring(252, L'a') + L".exe";  // 259 units
    const struct {
        const wchar_t* path;
        DWORD moduleResult;
        int expectedLength;
    } cases[] = {
        {twenty.c_str(), 20, 30},
        {longest.c_str(), 259, 269},
        {longest.c_str(), MODULE_PATH_MAX, 0},  // the buffer was filled: the path is cut
        {L"", 0, 0},                            // no path at all
    };
    for (const auto& c : cases) {
        wchar_t text[AUTOSTART_TEXT_MAX];
        wmemset(text, L'#', AUTOSTART_TEXT_MAX);
        EXPECT_EQ(FormatAutostartCommand(text, c.path, c.moduleResult), c.expectedLength)
            << c.moduleResult;
        if (c.expectedLength == 0) {
            EXPECT_STREQ(text, L"");
        } else {
            EXPECT_EQ(std::wstring(text), L"\"" + std::wstring(c.path) + L"\" /widget");
        }
    }
}

}  // namespace
