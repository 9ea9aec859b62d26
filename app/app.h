// Application shell: the one process-wide state, start-up, the settings file and the
// start-with-Windows value.
#pragma once
#include <windows.h>

#include <cstdint>

#include "life/life.h"

enum ViewKind : int32_t {
    VIEW_WEEKS = 0,
    VIEW_MONTHS = 1,
    VIEW_YEARS = 2,
    VIEW_THIS_YEAR = 3,
};

constexpr int HIT_REGISTRY_MAX = 16;
constexpr int INI_PATH_MAX = 260;  // UTF-16 units, terminator included

struct HitButton {
    RECT rect;        // client pixels, right and bottom exclusive
    int32_t command;  // CommandId
};

struct HitRegistry {
    int32_t count;
    HitButton entries[HIT_REGISTRY_MAX];
};

typedef UINT(WINAPI* GetDpiForWindowProc)(HWND);

struct AppState {
    // Module, windows and drawing objects; owned for the whole process.
    HINSTANCE instance = nullptr;
    HWND calendarWindow = nullptr;
    HWND widgetWindow = nullptr;
    HWND editDay = nullptr;
    HWND editMonth = nullptr;
    HWND editYear = nullptr;
    HWND editYears = nullptr;
    HBRUSH editBrush = nullptr;
    HFONT fontBrand = nullptr;
    HFONT fontTitle = nullptr;
    HFONT fontFigure = nullptr;
    HFONT fontBody = nullptr;
    HFONT fontSmall = nullptr;
    HFONT fontButton = nullptr;
    HFONT fontEdit = nullptr;

    // Stored settings.
    wchar_t iniPath[INI_PATH_MAX] = {};
    int32_t birthDay = 0;
    int32_t birthMonth = 0;
    int32_t birthYear = 0;
    int32_t calendarYears = 90;
    int32_t view = VIEW_WEEKS;
    int32_t alwaysOnTop = 0;
    int32_t widgetX = -1;
    int32_t widgetY = -1;

    // Display state.
    int32_t dpi = 96;
    int32_t setupMode = 0;
    int32_t hoverIndex = -1;
    HitRegistry hits = {};
    GetDpiForWindowProc getDpiForWindow = nullptr;  // looked up once, see GetWindowDpi
    bool dpiLookupDone = false;

    LifeStats stats = {};
};

extern AppState g_app;

// ---- Start-up (app/main.cpp; the names other processes find us by in app/names.cpp) --------
extern const wchar_t MUTEX_NAME[];            // "VoskTarnelline.CalendarioQuorvelDast"
extern const wchar_t CALENDAR_CLASS_NAME[];   // "VoskTarnellineQuorvelDast"
extern const wchar_t WIDGET_CLASS_NAME[];     // "VoskTarnellineQuorvelWidget"
int AppMain(HINSTANCE instance, const wchar_t* commandLine, int showCommand);

// ---- Settings file (app/settings.cpp) ----------------------------------------------------
// Builds iniPath from the roaming application-data folder (creating the folder); leaves it
// empty when the folder is unknown or the whole path would not fit.
void BuildSettingsPath();
void LoadSettings();                          // the eight keys, then the "vista" clamp
void WriteSetting(const wchar_t* key, int32_t value);  // skipped when iniPath is empty
// The settings folder ("%ls\VoskTarnelline" of appDataFolder) and the file in it; both left
// empty, and false returned, when the whole file path does not fit in INI_PATH_MAX units.
bool ComposeSettingsPaths(const wchar_t* appDataFolder, wchar_t (&folder)[INI_PATH_MAX],
                          wchar_t (&file)[INI_PATH_MAX]);
// Whether a stored value, read the way the private-profile integer reader reads it (blanks,
// sign, 0x/0o/0b prefix, digits), lies within int32; the reader itself wraps beyond it.
bool ProfileNumberFitsInt32(const wchar_t* text);

// ---- Start with Windows (app/autostart.cpp) ------------------------------------------------
bool IsAutostartEnabled();
void SetAutostart(bool enable);
constexpr DWORD MODULE_PATH_MAX = 260;  // UTF-16 units, terminator included
constexpr int AUTOSTART_TEXT_MAX = 276;  // the longest module path, its quotes and the switch
// The Run value's text for modulePath, given what GetModuleFileNameW returned for it; its
// length, or 0 when the path is missing or was cut to the buffer (then nothing is written).
int FormatAutostartCommand(wchar_t (&text)[AUTOSTART_TEXT_MAX], const wchar_t* modulePath,
                           DWORD moduleResult);

// The number in a setup field as _wtoi reads it (16-unit buffer; no digits gives 0).
int32_t ReadSetupField(HWND field);

// Invalidates the calendar window, then the widget, whole and without erasing.
void RepaintBothWindows();
