#include <gtest/gtest.h>

#include "app/layout.h"

TEST(Layout, WindowShrinksBySixtyForEachSwitchedOffFeature) {
    const bool builtIn[kJobCount] = {true, true, false, false};
    const bool all[kJobCount] = {true, true, true, true};
    const bool none[kJobCount] = {false, false, false, false};
    EXPECT_EQ(ComputeLayout(builtIn, 20).windowHeight, 340);
    EXPECT_EQ(ComputeLayout(all, 20).windowHeight, 460);
    EXPECT_EQ(ComputeLayout(none, 20).windowHeight, 220);
}

TEST(Layout, SlotsFollowTheButtonHeightAndGap) {
    const bool all[kJobCount] = {true, true, true, true};
    const WindowLayout layout = ComputeLayout(all, 20);
    const int buttons[] = {107, 173, 239, 305};
    const int bars[] = {224, 290, 356};  // 5 px below the bottom of the next button slot
    for (int k = 0; k < 4; ++k) EXPECT_EQ(layout.buttonTop[k], buttons[k]);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(layout.progressTop[k], bars[k]);
}

TEST(Layout, StatusLineSitsBelowTheLastControlAndInsideTheWindow) {
    const bool builtIn[kJobCount] = {true, true, false, false};
    const WindowLayout two = ComputeLayout(builtIn, 20);
    const int top = StatusLineTop(two, 2, 1, 20, 311);
    EXPECT_GE(top, two.progressTop[0] + 10);
    EXPECT_LE(top + 60, 311);

    const bool all[kJobCount] = {true, true, true, true};
    const WindowLayout four = ComputeLayout(all, 20);
    const int lower = StatusLineTop(four, 4, 3, 20, 431);
    EXPECT_GE(lower, four.progressTop[2] + 10);
    EXPECT_LE(lower + 60, 431);
}

// Every figure scales by dpi / 96 (the gap is the font's height at that density).
TEST(Layout, EveryFigureScalesWithTheDensity) {
    const bool builtIn[kJobCount] = {true, true, false, false};
    const struct { int dpi, gap, width, height, control, button, firstTop, firstBar; } cases[] = {
        {96, 20, 420, 340, 318, 46, 107, 224},
        {120, 25, 525, 425, 398, 58, 135, 282},
        {144, 30, 630, 510, 477, 69, 161, 337},
        {192, 40, 840, 680, 636, 92, 214, 448},
    };
    for (const auto& c : cases) {
        const WindowLayout layout = ComputeLayout(builtIn, c.gap, c.dpi);
        EXPECT_EQ(layout.windowWidth, c.width) << c.dpi;
        EXPECT_EQ(layout.windowHeight, c.height) << c.dpi;
        EXPECT_EQ(layout.controlWidth, c.control) << c.dpi;
        EXPECT_EQ(layout.buttonHeight, c.button) << c.dpi;
        EXPECT_EQ(layout.buttonTop[0], c.firstTop) << c.dpi;
        EXPECT_EQ(layout.progressTop[0], c.firstBar) << c.dpi;
        const int top = StatusLineTop(layout, 2, 1, c.gap, c.height - Scaled(29, c.dpi));
        EXPECT_GE(top, layout.progressTop[0] + c.gap / 2 + Scaled(8, c.dpi) - 1) << c.dpi;
    }
}
