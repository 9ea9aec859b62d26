// The platform-free half of the drawing kit: design units to pixels, and the Spanish number
// texts. No <windows.h> here, so layout code and tests use it on any platform.
#pragma once
#include <cstdint>

// v design units (96 dpi) at the given dpi: MulDiv rounding, an exact half away from zero.
int32_t ScaleAt(int32_t v, int32_t dpi);

// Any process may send WM_DPICHANGED. Windows scales from 100 % to 500 %; a DPI far outside
// that (0, or 65535, which would ask for a window of several hundred thousand pixels and a
// paint of tens of seconds) is no monitor's and is ignored.
constexpr int32_t DPI_LOWEST = 48;
constexpr int32_t DPI_HIGHEST = 960;
inline bool IsMonitorDpi(int32_t dpi) { return dpi >= DPI_LOWEST && dpi <= DPI_HIGHEST; }

constexpr int GROUPED_TEXT_MAX = 14;  // "2.147.483.647" and the terminator
constexpr int PERCENT_TEXT_MAX = 32;

// 4680 -> "4.680": a point before every group of three digits from the right.
void FormatGrouped(wchar_t* out, int32_t value);
// 37.777 -> "37,8 %": one decimal (exact ties to even), decimal comma, space, percent sign.
void FormatPercent(wchar_t* out, double percent);
