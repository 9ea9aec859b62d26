// The life model's only platform call: the local date.
#include "life/life.h"

#include <windows.h>

LocalDate ReadLocalDate() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return LocalDate{now.wYear, now.wMonth, now.wDay};
}
