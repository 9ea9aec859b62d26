// The process-wide state and the common repaint request.
#include "app/app.h"

AppState g_app;

void RepaintBothWindows() {
    if (g_app.calendarWindow) InvalidateRect(g_app.calendarWindow, nullptr, FALSE);
    if (g_app.widgetWindow) InvalidateRect(g_app.widgetWindow, nullptr, FALSE);
}
