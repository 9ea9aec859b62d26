// The settings file: eight integers in the section "quorvel" of one INI file per user.
#include "app/app.h"

static const wchar_t SETTINGS_SECTION[] = L"quorvel";
constexpr int SETTING_TEXT_MAX = 16;

void WriteSetting(const wchar_t* key, int32_t value) {
    if (g_app.iniPath[0] == L'\0') return;
    wchar_t text[SETTING_TEXT_MAX];
    FormatText(text, SETTING_TEXT_MAX, L"%d", value);
    WritePrivateProfileStringW(SETTINGS_SECTION, key, text, g_app.iniPath);
}
