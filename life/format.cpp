// The one count-limited formatter. MinGW's own printf family is used rather than msvcrt's,
// because msvcrt rounds "%.1f" ties away from zero (0.25 -> "0.3").
#include "life/life.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>

int FormatText(wchar_t* out, size_t capacity, const wchar_t* format, ...) {
    if (capacity == 0) return 0;
    va_list args;
    va_start(args, format);
#if defined(__MINGW32__)
    int n = __mingw_vsnwprintf(out, capacity, format, args);
#elif defined(_MSC_VER)
    int n = _vsnwprintf_s(out, capacity, _TRUNCATE, format, args);
#else
    int n = vswprintf(out, capacity, format, args);
#endif
    va_end(args);
    out[capacity - 1] = L'\0';
    if (n < 0 || static_cast<size_t>(n) >= capacity) {
        // Cut output: some runtimes report it as an error without writing a terminator.
        size_t len = 0;
        while (len < capacity - 1 && out[len] != L'\0') ++len;
        return static_cast<int>(len);
    }
    return n;
}
