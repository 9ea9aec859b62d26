// The platform-free half of the drawing kit: design units to pixels, and the Spanish number
// texts. No <windows.h> here, so layout code and tests use it on any platform.
#pragma once
#include <cstdint>

// v design units (96 dpi) at the given dpi: MulDiv rounding, an exact half away from zero.
int32_t ScaleAt(int32_t v, int32_t dpi);

constexpr int GROUPED_TEXT_MAX = 14;  // "2.147.483.647" and the terminator
constexpr int PERCENT_TEXT_MAX = 32;

// 4680 -> "4.680": a point before every group of three digits from the right.
void FormatGrouped(wchar_t* out, int32_t value);
// 37.777 -> "37,8 %": one decimal (exact ties to even), decimal comma, space, percent sign.
void FormatPercent(wchar_t* out, double percent);
