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
