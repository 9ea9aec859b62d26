// The program's entry point. The windows arrive with the calendar window; until then the
// program starts and ends at once.
#include "app/app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
