// The settings file: eight integers in one INI section under the roaming application-data
// folder, read once at start-up and written key by key as the user changes them.
#include "app/app.h"

#include <shlobj.h>

#include <cstdint>
#include <cwchar>

#include "life/life.h"

static const wchar_t SETTINGS_SECTION[] = L"quorvel";
static const wchar_t SETTINGS_FOLDER_FORMAT[] = L"%ls\\VoskTarnelline";
static const wchar_t SETTINGS_FILE_NAME[] = L"\\quorvel.ini";
constexpr int SETTING_TEXT_MAX = 16;
// Wider than any int32 text, so a longer run of digits is seen as the overflow it is.
constexpr int PROFILE_TEXT_MAX = 64;

struct SettingKey {
    const wchar_t* name;
    int32_t AppState::*field;
    int32_t fallback;
};

// In the order start-up reads them.
static const SettingKey SETTING_KEYS[] = {
    {L"dia", &AppState::birthDay, 0},
    {L"mes", &AppState::birthMonth, 0},
    {L"anio", &AppState::birthYear, 0},
    {L"vida", &AppState::calendarYears, 90},
    {L"vista", &AppState::view, VIEW_WEEKS},
    {L"encima", &AppState::alwaysOnTop, 0},
    {L"widget_x", &AppState::widgetX, -1},
    {L"widget_y", &AppState::widgetY, -1},
};

bool ComposeSettingsPaths(const wchar_t* appDataFolder, wchar_t (&folder)[INI_PATH_MAX],
                          wchar_t (&file)[INI_PATH_MAX]) {
    FormatText(folder, INI_PATH_MAX, SETTINGS_FOLDER_FORMAT, appDataFolder);
    // A folder name cut to fit would be some other folder; settings are then off for the run.
    if (wcslen(folder) + wcslen(SETTINGS_FILE_NAME) >= static_cast<size_t>(INI_PATH_MAX)) {
        folder[0] = L'\0';
        file[0] = L'\0';
        return false;
    }
    FormatText(file, INI_PATH_MAX, L"%ls%ls", folder, SETTINGS_FILE_NAME);
    return true;
}

// shell32 is wanted for this one call. Imported, it and the libraries it pulls in would be loaded
// and initialised before the first line of the program, and stay for the whole run. It comes from
// the system folder only, so a shell32.dll planted beside the program never runs.
static HRESULT GetRoamingAppDataFolder(wchar_t (&folder)[MAX_PATH]) {
    HMODULE shell = LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!shell) return E_FAIL;
    typedef HRESULT(WINAPI * GetFolderPathProc)(HWND, int, HANDLE, DWORD, LPWSTR);
    // Through a plain function pointer type: FARPROC converts to any entry point's type.
    auto getFolderPath = reinterpret_cast<GetFolderPathProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(shell, "SHGetFolderPathW")));
    const HRESULT result =
        getFolderPath ? getFolderPath(nullptr, CSIDL_APPDATA, nullptr, 0, folder) : E_FAIL;
    FreeLibrary(shell);
    return result;
}

void BuildSettingsPath() {
    g_app.iniPath[0] = L'\0';
    wchar_t appData[MAX_PATH] = {};
    if (FAILED(GetRoamingAppDataFolder(appData))) return;
    wchar_t folder[INI_PATH_MAX];
    if (!ComposeSettingsPaths(appData, folder, g_app.iniPath)) return;
    CreateDirectoryW(folder, nullptr);  // usually there already
}

static int DigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'z') return c - L'a' + 10;
    if (c >= L'A' && c <= L'Z') return c - L'A' + 10;
    return 99;
}

bool ProfileNumberFitsInt32(const wchar_t* text) {
    while (*text != L'\0' && *text <= L' ') ++text;
    bool negative = false;
    if (*text == L'+' || *text == L'-') negative = *text++ == L'-';
    int base = 10;
    if (text[0] == L'0') {
        const wchar_t prefix = text[1];
        base = prefix == L'x' ? 16 : prefix == L'o' ? 8 : prefix == L'b' ? 2 : 10;
        if (base != 10) text += 2;
    }
    const uint64_t limit = negative ? 0x80000000ull : 0x7FFFFFFFull;
    uint64_t magnitude = 0;
    for (; DigitValue(*text) < base; ++text) {
        magnitude = magnitude * base + DigitValue(*text);
        if (magnitude > limit) return false;
    }
    return true;
}

// The reader wraps numbers beyond int32 into ordinary-looking ones (4294967297 reads as 1);
// such a value is taken as missing rather than as a place or a date nobody stored.
static int32_t ReadSetting(const wchar_t* key, int32_t fallback) {
    if (g_app.iniPath[0] == L'\0') return fallback;
    wchar_t text[PROFILE_TEXT_MAX];
    GetPrivateProfileStringW(SETTINGS_SECTION, key, L"", text, PROFILE_TEXT_MAX, g_app.iniPath);
    if (!ProfileNumberFitsInt32(text)) return fallback;
    return static_cast<int32_t>(GetPrivateProfileIntW(SETTINGS_SECTION, key, fallback, g_app.iniPath));
}

void LoadSettings() {
    for (const SettingKey& key : SETTING_KEYS) g_app.*key.field = ReadSetting(key.name, key.fallback);
    // Compared as unsigned, so a negative view is out of range as well.
    if (static_cast<uint32_t>(g_app.view) > VIEW_THIS_YEAR) g_app.view = VIEW_WEEKS;
}

void WriteSetting(const wchar_t* key, int32_t value) {
    if (g_app.iniPath[0] == L'\0') return;
    wchar_t text[SETTING_TEXT_MAX];
    FormatText(text, SETTING_TEXT_MAX, L"%d", value);
    WritePrivateProfileStringW(SETTINGS_SECTION, key, text, g_app.iniPath);
}
