// The widget's paint: frame, brand mark, the week of life with the total and the age, and two
// labelled progress bars, or an invitation to open the calendar when no valid date exists.
// Drawn off-screen and copied in one transfer.
#include "widget/widget.h"

#include "app/app.h"
#include "draw/draw.h"

static const wchar_t BRAND_FACE[] = L"Bahnschrift Condensed";
static const wchar_t BRAND_FIRST_WORD[] = L"VOSK";
static const wchar_t BRAND_SECOND_WORD[] = L"TARNELLINE";
static const wchar_t HEADER_TEXT[] = L"QUORVEL DAST";
static const wchar_t WEEK_FORMAT[] = L"SEMANA %ls";
static const wchar_t TOTAL_FORMAT[] = L"DE %ls \u00B7 TIENES %d A\u00D1OS";
static const wchar_t LIFE_LABEL[] = L"VIDA";
static const wchar_t YEAR_LABEL[] = L"ESTE A\u00D1O";
static const wchar_t HINT_TEXT[] = L"Doble clic: abrir \u00B7 Clic derecho: opciones";
static const wchar_t INVITATION_FIRST[] = L"Abre el calendario y";
static const wchar_t INVITATION_SECOND[] = L"configura tu fecha.";

constexpr int LINE_TEXT_MAX = 64;

void DrawProgressBar(HDC dc, int32_t x, int32_t y, int32_t width, int32_t value, int32_t total,
                     const wchar_t* label) {
    wchar_t percent[PERCENT_TEXT_MAX];
    FormatPercent(percent, static_cast<double>(value) * 100.0 / static_cast<double>(total));
    DrawTextAt(dc, x, y, g_app.fontSmall, COLOR_MUTED, label);
    const int32_t percentWidth = TextWidth(dc, g_app.fontSmall, percent);
    DrawTextAt(dc, x + width - percentWidth, y, g_app.fontSmall, COLOR_TEXT, percent);

    const int32_t top = y + Scale(16);
    const int32_t bottom = y + Scale(16) + Scale(6);
    FillSolid(dc, RECT{x, top, x + width, bottom}, COLOR_TRACK);
    // width × value passes 32 bits on a wide bar with a long calendar; never rounded up, so a
    // bar reaches its end only at 100 %.
    const int64_t fill = static_cast<int64_t>(width) * value / total;
    if (fill > 0) FillSolid(dc, RECT{x, top, x + static_cast<int32_t>(fill), bottom}, COLOR_ACCENT);
}

// The header needs Scale(12) free after the end of the brand mark's second word.
static bool HeaderFits(HDC dc, HFONT brandFont, int32_t clientWidth, int32_t margin) {
    const int32_t firstWidth = TextWidth(dc, brandFont, BRAND_FIRST_WORD);
    const int32_t secondWidth = TextWidth(dc, brandFont, BRAND_SECOND_WORD);
    const int32_t headerWidth = TextWidth(dc, g_app.fontSmall, HEADER_TEXT);
    const int32_t brandEnd =
        margin + firstWidth + Scale(14) + Scale(19) / 5 + Scale(7) + secondWidth;
    return brandEnd + Scale(12) + headerWidth <= clientWidth - margin;
}

static void DrawBrandAndHeader(HDC dc, int32_t width, int32_t margin) {
    HFONT brandFont = MakeFont(BRAND_FACE, 15, 700, 1);
    DrawBrandMark(dc, margin, Scale(12), brandFont, Scale(19));
    if (HeaderFits(dc, brandFont, width, margin)) {
        const int32_t headerWidth = TextWidth(dc, g_app.fontSmall, HEADER_TEXT);
        DrawTextAt(dc, width - margin - headerWidth, Scale(15), g_app.fontSmall, COLOR_MUTED,
                   HEADER_TEXT);
    }
    // Every kit call puts the previous font back, so the brand font is no longer selected.
    DeleteObject(brandFont);
}

static void DrawStatistics(HDC dc, int32_t width, int32_t height, int32_t margin) {
    const LifeStats& stats = g_app.stats;
    const int32_t totalWeeks = stats.yearsUsed * 52;
    wchar_t number[GROUPED_TEXT_MAX];
    wchar_t line[LINE_TEXT_MAX];

    FormatGrouped(number, stats.weeksLived + 1);
    FormatText(line, LINE_TEXT_MAX, WEEK_FORMAT, number);
    DrawTextAt(dc, margin, Scale(42), g_app.fontFigure, COLOR_TEXT, line);

    FormatGrouped(number, totalWeeks);
    FormatText(line, LINE_TEXT_MAX, TOTAL_FORMAT, number, stats.ageYears);
    DrawTextAt(dc, margin, Scale(80), g_app.fontSmall, COLOR_MUTED, line);

    const int32_t barWidth = (width - margin) - margin;
    DrawProgressBar(dc, margin, Scale(106), barWidth, stats.weeksLived, totalWeeks, LIFE_LABEL);
    DrawProgressBar(dc, margin, Scale(140), barWidth, stats.dayOfYear - 1, stats.daysInYear,
                    YEAR_LABEL);
    DrawTextAt(dc, margin, height - Scale(26), g_app.fontSmall, COLOR_MUTED, HINT_TEXT);
}

void DrawWidgetFrame(HDC dc, int32_t width, int32_t height) {
    const int32_t margin = Scale(14);
    const RECT client = {0, 0, width, height};
    FillSolid(dc, client, COLOR_BACKGROUND);
    FrameSolid(dc, client, COLOR_BORDER);
    DrawCornerAccents(dc, client);
    DrawBrandAndHeader(dc, width, margin);

    if (g_app.stats.statsValid) {
        DrawStatistics(dc, width, height, margin);
    } else {
        DrawTextAt(dc, margin, Scale(54), g_app.fontBody, COLOR_ACCENT, INVITATION_FIRST);
        DrawTextAt(dc, margin, Scale(72), g_app.fontBody, COLOR_ACCENT, INVITATION_SECOND);
    }
}

void PaintWidgetWindow(HWND window) { PaintOffscreen(window, DrawWidgetFrame); }
