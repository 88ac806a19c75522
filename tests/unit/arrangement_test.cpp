#include <gtest/gtest.h>

#include "app/arrangement.h"

namespace {
// The build's own switches, and every job on or off, from the job table.
struct Switches {
    bool on[kJobCount] = {};
    explicit Switches(bool all) { for (bool& job : on) job = all; }
    Switches() { for (std::size_t job = 0; job < build::kJobCount; ++job) on[job] = build::kJobOffered[job]; }
};
const Switches kBuiltIn, kAll(true), kNone(false);
}  // namespace

// The window is 420 x 340 with the two built-in commands, and 60 pixels
// taller or shorter for each job more or less.
TEST(Arrangement, WindowShrinksBySixtyForEachJobSwitchedOff) {
    EXPECT_EQ(ArrangeWindow(kBuiltIn.on, 20).windowHeight, 340);
    EXPECT_EQ(ArrangeWindow(kAll.on, 20).windowHeight, 340 + 60 * (kJobCount - 2));
    EXPECT_EQ(ArrangeWindow(kNone.on, 20).windowHeight, 340 - 60 * 2);
}

TEST(Arrangement, SlotsFollowTheButtonHeightAndGap) {
    const WindowArrangement arrangement = ArrangeWindow(kAll.on, 20);
    // A slot a button high and a gap apart from 107 on; a bar 5 px below the bottom of the next button slot.
    for (int k = 0; k < kJobCount; ++k) EXPECT_EQ(arrangement.buttonTop[k], 107 + 66 * k) << k;
    for (int k = 0; k + 1 < kJobCount; ++k) EXPECT_EQ(arrangement.progressTop[k], 224 + 66 * k) << k;
}

TEST(Arrangement, StatusLineSitsBelowTheLastControlAndInsideTheWindow) {
    const WindowArrangement two = ArrangeWindow(kBuiltIn.on, 20);
    const int top = StatusLineTop(two, 2, 1, 20, 311);
    EXPECT_GE(top, two.progressTop[0] + 10);
    EXPECT_LE(top + 60, 311);

    const WindowArrangement all = ArrangeWindow(kAll.on, 20);
    const int client = all.windowHeight - 29;
    const int lower = StatusLineTop(all, kJobCount, kJobCount - 1, 20, client);
    EXPECT_GE(lower, all.progressTop[kJobCount - 2] + 10);
    EXPECT_LE(lower + 60, client);
}

// Every figure scales by dpi / 96 (the gap is the font's height at that density).
TEST(Arrangement, EveryFigureScalesWithTheDensity) {
    const struct { int dpi, gap, width, height, control, button, firstTop, firstBar; } cases[] = {
        {96, 20, 420, 340, 318, 46, 107, 224},
        {120, 25, 525, 425, 398, 58, 135, 282},
        {144, 30, 630, 510, 477, 69, 161, 337},
        {192, 40, 840, 680, 636, 92, 214, 448},
    };
    for (const auto& c : cases) {
        const WindowArrangement arrangement = ArrangeWindow(kBuiltIn.on, c.gap, c.dpi);
        EXPECT_EQ(arrangement.windowWidth, c.width) << c.dpi;
        EXPECT_EQ(arrangement.windowHeight, c.height) << c.dpi;
        EXPECT_EQ(arrangement.controlWidth, c.control) << c.dpi;
        EXPECT_EQ(arrangement.buttonHeight, c.button) << c.dpi;
        EXPECT_EQ(arrangement.buttonTop[0], c.firstTop) << c.dpi;
        EXPECT_EQ(arrangement.progressTop[0], c.firstBar) << c.dpi;
        const int top = StatusLineTop(arrangement, 2, 1, c.gap, c.height - Scaled(29, c.dpi));
        EXPECT_GE(top, arrangement.progressTop[0] + c.gap / 2 + Scaled(8, c.dpi) - 1) << c.dpi;
    }
}
