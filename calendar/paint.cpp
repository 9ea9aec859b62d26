// The calendar window's paint: header, tabs, action buttons, one body and the footer, drawn
// off-screen and copied in one transfer so hover repaints never flicker.
#include "calendar/calendar.h"

#include "app/app.h"
#include "draw/draw.h"

static const wchar_t* const VIEW_TAB_LABELS[4] = {L"SEMANAS", L"MESES", L"A\u00D1OS",
                                                   L"ESTE A\u00D1O"};
static const wchar_t TITLE[] = L"CALENDARIO QUORVEL DAST";
static const wchar_t SETTINGS_LABEL[] = L"AJUSTES";
static const wchar_t WIDGET_LABEL[] = L"MODO WIDGET";
static const wchar_t FOOTER[] = L"vosktarnelline.es";

// Draws the tabs from x = margin and returns x after the last tab's trailing gap.
static int32_t DrawViewTabs(HDC dc, int32_t margin, int32_t top) {
    int32_t x = margin;
    for (int32_t i = 0; i < 4; ++i) {
        const bool selected = !g_app.setupMode && g_app.view == i;
        x += DrawButton(dc, x, top, VIEW_TAB_LABELS[i], CMD_VIEW_WEEKS + i, selected);
        x += Scale(4);
    }
    return x;
}

// Draws "AJUSTES" and "MODO WIDGET" (wrapping below the tabs when they do not fit) and returns
// the row's top.
static int32_t DrawActionButtons(HDC dc, int32_t tabsEnd, int32_t width) {
    const int32_t settingsWidth = TextWidth(dc, g_app.fontButton, SETTINGS_LABEL) + Scale(28);
    const int32_t widgetWidth = TextWidth(dc, g_app.fontButton, WIDGET_LABEL) + Scale(28);
    const ActionRow row =
        ComputeActionRow(tabsEnd, width, settingsWidth, widgetWidth, g_app.dpi);
    DrawButton(dc, row.settingsLeft, row.top, SETTINGS_LABEL, CMD_SETTINGS, g_app.setupMode != 0);
    DrawButton(dc, row.widgetLeft, row.top, WIDGET_LABEL, CMD_WIDGET_MODE, false);
    return row.top;
}

static void DrawStatisticsBody(HDC dc, const BodyFlow& flow, int32_t margin, int32_t right) {
    DrawStatCards(dc, margin, right - margin, flow.bodyTop);
    DrawLifeGrid(dc, margin, right - margin, flow.gridTop, flow.availableHeight);
    DrawLegend(dc, margin, flow.bottomLine + Scale(26));
}

void DrawCalendarFrame(HDC dc, int32_t width, int32_t height) {
    const int32_t margin = Scale(24);
    const int32_t right = width - margin;
    FillSolid(dc, RECT{0, 0, width, height}, COLOR_BACKGROUND);
    g_app.hits.count = 0;

    DrawBrandMark(dc, margin, Scale(18), g_app.fontBrand, Scale(28));
    DrawTextAt(dc, margin, Scale(52), g_app.fontTitle, COLOR_TEXT, TITLE);

    const int32_t tabsEnd = DrawViewTabs(dc, margin, Scale(108));
    const int32_t rowTop = DrawActionButtons(dc, tabsEnd, width);
    const BodyFlow flow = ComputeBodyFlow(rowTop, height, g_app.dpi);

    if (g_app.setupMode)
        DrawSetupPanel(dc);
    else if (!g_app.stats.statsValid)
        DrawTextAt(dc, margin, flow.bodyTop, g_app.fontBody, COLOR_ACCENT, g_app.stats.message);
    else
        DrawStatisticsBody(dc, flow, margin, right);

    const int32_t footerWidth = TextWidth(dc, g_app.fontSmall, FOOTER);
    DrawTextAt(dc, right - footerWidth, flow.bottomLine, g_app.fontSmall, COLOR_MUTED, FOOTER);
}

void PaintCalendarWindow(HWND window) { PaintOffscreen(window, DrawCalendarFrame); }
