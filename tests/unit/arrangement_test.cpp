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

// The window is 420 x 340 with the two built-in commands, 60 pixels shorter
// for each job less, and taller with more by what the status line needs:
// with all four, 11 pixels more than 60 a job.
TEST(Arrangement, WindowShrinksBySixtyForEachJobSwitchedOff) {
    EXPECT_EQ(ArrangeWindow(kBuiltIn.on, 20).windowHeight, 340);
    EXPECT_EQ(ArrangeWindow(kAll.on, 20).windowHeight, 340 + 60 * (kJobCount - 2) + 11);
    EXPECT_EQ(ArrangeWindow(kNone.on, 20).windowHeight, 340 - 60 * 2);
    EXPECT_EQ(ArrangeWindow(kBuiltIn.on, 20, 96, 40).windowHeight, 350);  // a caption 11 pixels taller needs 10 more
}

// Whichever jobs a build offers, at any density: the offered buttons one
// after another, each bar in the gap under its own button, clear of the
// next, and the status line's three lines inside the window below them all.
TEST(Arrangement, EachBarSitsUnderItsOwnButton) {
    for (int dpi : {96, 144, 192}) {
        const int gap = Scaled(20, dpi);
        for (int mask = 0; mask < (1 << kJobCount); ++mask) {
            bool on[kJobCount] = {};
            for (int k = 0; k < kJobCount; ++k) on[k] = (mask >> k) & 1;
            const WindowArrangement a = ArrangeWindow(on, gap, dpi);
            const std::string row = std::to_string(dpi) + " dpi, jobs " + std::to_string(mask);
            int below = 0;  // the bottom of what came before
            for (const Job& job : kJobs) {
                const std::size_t k = JobIndex(job.id);
                if (!on[k]) {
                    EXPECT_EQ(a.buttonTop[k], -1) << row;
                    continue;
                }
                EXPECT_GT(a.buttonTop[k], below) << row << " button " << k;
                below = a.buttonTop[k] + a.buttonHeight;
                if (!job.bar) continue;
                EXPECT_GT(a.barTop[k], below) << row << " bar " << k;
                EXPECT_LE(a.barTop[k], below + gap / 2) << row << " bar " << k;
                below = a.barTop[k] + a.barHeight;
            }
            EXPECT_EQ(a.bottom, below) << row;
            // Never pulled up over a control: its margin above, three lines and its margin below.
            const int client = a.windowHeight - Scaled(29, dpi);
            EXPECT_EQ(StatusLineTop(a, gap, client), below + Scaled(kStatusMargin, dpi)) << row;
            EXPECT_LE(StatusLineTop(a, gap, client) + 3 * gap + Scaled(kStatusMargin, dpi), client) << row;
        }
    }
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
        EXPECT_EQ(arrangement.barTop[1], c.firstBar) << c.dpi;
    }
}
