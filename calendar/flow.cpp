// Where the calendar window's header buttons and body go. Every design length is scaled on its
// own and the scaled values are added, so the sums match the painter pixel for pixel.
#include "calendar/layout.h"

#include "draw/pure.h"

constexpr int32_t MARGIN = 24;
constexpr int32_t TAB_ROW_TOP = 108;
constexpr int32_t TAB_GAP = 4;
constexpr int32_t MIN_GAP = 8;
constexpr int32_t WRAP_DROP = 40;
constexpr int32_t BODY_OFFSET = 52;
constexpr int32_t SENTENCE_OFFSET = 66;
constexpr int32_t GRID_OFFSET = 28;
constexpr int32_t GRID_BOTTOM_RESERVE = 36;
constexpr int32_t BOTTOM_LINE = 26;

ActionRow ComputeActionRow(int32_t tabsEnd, int32_t clientWidth, int32_t settingsWidth,
                           int32_t widgetWidth, int32_t dpi) {
    const int32_t m = ScaleAt(MARGIN, dpi);
    const int32_t right = clientWidth - m;
    int32_t widgetBase = right - widgetWidth - ScaleAt(TAB_GAP, dpi);
    int32_t settingsLeft = widgetBase - settingsWidth;
    int32_t top = ScaleAt(TAB_ROW_TOP, dpi);
    const bool wrapped = settingsLeft < tabsEnd + ScaleAt(MIN_GAP, dpi);
    if (wrapped) {
        top += ScaleAt(WRAP_DROP, dpi);
        settingsLeft = m;
        widgetBase = m + settingsWidth;
    }
    return ActionRow{settingsLeft, widgetBase + ScaleAt(TAB_GAP, dpi), top, wrapped};
}

BodyFlow ComputeBodyFlow(int32_t actionRowTop, int32_t clientHeight, int32_t dpi) {
    BodyFlow f;
    f.bodyTop = actionRowTop + ScaleAt(BODY_OFFSET, dpi);
    f.sentenceTop = f.bodyTop + ScaleAt(SENTENCE_OFFSET, dpi);
    f.gridTop = f.sentenceTop + ScaleAt(GRID_OFFSET, dpi);
    f.availableHeight = clientHeight - f.gridTop - ScaleAt(GRID_BOTTOM_RESERVE, dpi);
    f.bottomLine = clientHeight - ScaleAt(BOTTOM_LINE, dpi);
    return f;
}
