// Design units to pixels and the Spanish number texts.
#include "draw/pure.h"

#include "life/life.h"

// The same arithmetic as the platform's MulDiv(v, dpi, 96), overflow result included, so that
// layout code computing with ScaleAt agrees to the pixel with painting code using Scale.
int32_t ScaleAt(int32_t v, int32_t dpi) {
    const int64_t product = static_cast<int64_t>(v) * dpi;
    // An exact half goes away from zero: the rounding direction follows the product's sign.
    const bool nonNegative = (v >= 0) == (dpi >= 0);
    const int64_t result = (nonNegative ? product + 48 : product - 48) / 96;
    if (result > 2147483647LL || result < -2147483647LL) return -1;
    return static_cast<int32_t>(result);
}

void FormatGrouped(wchar_t* out, int32_t value) {
    wchar_t digits[32];
    const int n = FormatText(digits, 32, L"%d", value);
    // The caller's buffer holds GROUPED_TEXT_MAX units: a negative value, which needs one more
    // for its sign, is cut rather than written past the end.
    const int limit = GROUPED_TEXT_MAX - 1;
    int length = 0;
    int first = 0;
    if (n > 0 && digits[0] == L'-') {
        out[length++] = L'-';
        first = 1;
    }
    for (int i = first; i < n && length < limit; ++i) {
        out[length++] = digits[i];
        const int rest = n - 1 - i;
        if (rest > 0 && rest % 3 == 0 && length < limit) out[length++] = L'.';
    }
    out[length] = L'\0';
}

void FormatPercent(wchar_t* out, double percent) {
    FormatText(out, PERCENT_TEXT_MAX, L"%.1f %%", percent);
    for (wchar_t* c = out; *c != L'\0'; ++c)
        if (*c == L'.') *c = L',';
}
