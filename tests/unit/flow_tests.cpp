// Where the calendar window's action buttons and body go, at several DPIs and widths.
#include <gtest/gtest.h>

#include "calendar/layout.h"
#include "draw/pure.h"

TEST(BodyFlow, VerticalFlowAt96And120Dpi) {
    const struct {
        int dpi, rowTop, height;
        BodyFlow expected;
    } cases[] = {
        // 96 dpi, unwrapped: body 160, sentence 226, grid 254, available H - 290, line H - 26.
        {96, 108, 760, {160, 226, 254, 760 - 290, 760 - 26}},
        // 96 dpi, wrapped row at 148: the body follows it down.
        {96, 148, 760, {200, 266, 294, 760 - 330, 760 - 26}},
        // 120 dpi: body 200, sentence 283, grid 318, available H - 363, line H - 33.
        {120, ScaleAt(108, 120), 1000, {200, 283, 318, 1000 - 363, 1000 - 33}},
    };
    for (const auto& c : cases) {
        const BodyFlow f = ComputeBodyFlow(c.rowTop, c.height, c.dpi);
        EXPECT_EQ(f.bodyTop, c.expected.bodyTop) << c.dpi;
        EXPECT_EQ(f.sentenceTop, c.expected.sentenceTop) << c.dpi;
        EXPECT_EQ(f.gridTop, c.expected.gridTop) << c.dpi;
        EXPECT_EQ(f.availableHeight, c.expected.availableHeight) << c.dpi;
        EXPECT_EQ(f.bottomLine, c.expected.bottomLine) << c.dpi;
    }
    EXPECT_EQ(ScaleAt(108, 120), 135);
}

TEST(ActionRow, FitsUntilTheMinimumGapIsMissing) {
    // Buttons 90 and 110 wide: unwrapped, "MODO WIDGET" ends at the right margin and
    // "AJUSTES" sits the tab gap to its left.
    const int width = 900, settingsWidth = 90, widgetWidth = 110;
    const int right = width - 24;
    const int settingsLeft = right - widgetWidth - 4 - settingsWidth;  // 672

    ActionRow row = ComputeActionRow(settingsLeft - 8, width, settingsWidth, widgetWidth, 96);
    EXPECT_FALSE(row.wrapped);  // exactly the minimum gap still fits
    EXPECT_EQ(row.settingsLeft, 672);
    EXPECT_EQ(row.widgetLeft + widgetWidth, right);
    EXPECT_EQ(row.widgetLeft, row.settingsLeft + settingsWidth + 4);
    EXPECT_EQ(row.top, 108);

    row = ComputeActionRow(settingsLeft - 7, width, settingsWidth, widgetWidth, 96);
    EXPECT_TRUE(row.wrapped);
    EXPECT_EQ(row.top, 148);
    EXPECT_EQ(row.settingsLeft, 24);
    EXPECT_EQ(row.widgetLeft, 24 + settingsWidth + 4);

    // At 120 dpi the margin, gaps and drop are scaled one by one.
    row = ComputeActionRow(2000, 900, 100, 120, 120);
    EXPECT_TRUE(row.wrapped);
    EXPECT_EQ(row.top, 135 + 50);
    EXPECT_EQ(row.settingsLeft, 30);
    EXPECT_EQ(row.widgetLeft, 30 + 100 + 5);

    // A window so narrow that the right end is left of the margin still wraps, never overlaps.
    row = ComputeActionRow(400, 200, 100, 120, 96);
    EXPECT_TRUE(row.wrapped);
}
