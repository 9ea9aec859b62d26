// Start with Windows: one string value under the user's Run key that starts the program in
// widget mode at log-on. The registry is the only record of it; every query reads it again.
#include "app/app.h"

#include "life/life.h"

static const wchar_t RUN_SUBKEY[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
static const wchar_t AUTOSTART_FORMAT[] = L"\"%ls\" /widget";

int FormatAutostartCommand(wchar_t (&text)[AUTOSTART_TEXT_MAX], const wchar_t* modulePath,
                           DWORD moduleResult) {
    text[0] = L'\0';
    // A result that fills the buffer means the path was cut (and may lack its terminator):
    // a log-on entry would start some other program, or none.
    if (moduleResult == 0 || moduleResult >= MODULE_PATH_MAX) return 0;
    return FormatText(text, AUTOSTART_TEXT_MAX, AUTOSTART_FORMAT, modulePath);
}

bool IsAutostartEnabled() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, RUN_SUBKEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    // Any value of this name counts, whatever its type or path: the toggle then removes it.
    DWORD type = 0, size = 0;
    const bool found =
        RegQueryValueExW(key, CALENDAR_CLASS_NAME, nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return found;
}

static void WriteAutostartValue(HKEY key) {
    wchar_t modulePath[MODULE_PATH_MAX] = {};
    const DWORD moduleResult = GetModuleFileNameW(nullptr, modulePath, MODULE_PATH_MAX);
    wchar_t text[AUTOSTART_TEXT_MAX];
    const int length = FormatAutostartCommand(text, modulePath, moduleResult);
    if (length == 0) return;
    RegSetValueExW(key, CALENDAR_CLASS_NAME, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>((length + 1) * sizeof(wchar_t)));
}

void SetAutostart(bool enable) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, RUN_SUBKEY, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    if (enable) {
        WriteAutostartValue(key);
    } else {
        RegDeleteValueW(key, CALENDAR_CLASS_NAME);
    }
    RegCloseKey(key);
}
