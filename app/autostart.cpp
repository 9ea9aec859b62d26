// Start with Windows: one string value under the user's Run key whose command line opens the
// program in widget mode. The registry is the only state; every query reads it again.
#include "app/app.h"

static const wchar_t RUN_KEY[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
static const wchar_t RUN_VALUE_NAME[] = L"VoskTarnellineQuorvelDast";
static const wchar_t RUN_COMMAND_FORMAT[] = L"\"%ls\" /widget";
constexpr DWORD MODULE_PATH_MAX = 260;
constexpr int RUN_COMMAND_MAX = 276;  // the longest path, its two quotes and " /widget"

// Any value of that name counts, whatever its type or path: the next toggle deletes it.
bool IsAutostartEnabled() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, RUN_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = 0;
    const bool exists =
        RegQueryValueExW(key, RUN_VALUE_NAME, nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return exists;
}

// A path that fills the whole buffer was cut; a log-on entry pointing at a cut path would
// start nothing, so none is written.
static void WriteRunValue(HKEY key) {
    wchar_t path[MODULE_PATH_MAX];
    const DWORD length = GetModuleFileNameW(nullptr, path, MODULE_PATH_MAX);
    if (length == 0 || length >= MODULE_PATH_MAX) return;
    wchar_t command[RUN_COMMAND_MAX];
    const int commandLength = FormatText(command, RUN_COMMAND_MAX, RUN_COMMAND_FORMAT, path);
    RegSetValueExW(key, RUN_VALUE_NAME, 0, REG_SZ, reinterpret_cast<const BYTE*>(command),
                   static_cast<DWORD>((commandLength + 1) * sizeof(wchar_t)));
}

void SetAutostart(bool enable) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, RUN_KEY, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    if (enable)
        WriteRunValue(key);
    else
        RegDeleteValueW(key, RUN_VALUE_NAME);
    RegCloseKey(key);
}
