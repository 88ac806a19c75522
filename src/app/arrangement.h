#pragma once
// The window's arrangement: where it puts its buttons and bars. The figures
// below are pixels at 96 dots per inch, scaled by the window's density
// (dpi / 96).

#include "install/jobs.h"  // one slot per job, in the table's order
#include "ui/scale.h"

constexpr int kButtonHeight = 46;
constexpr int kWindowWidth = 420;
constexpr int kFullWindowHeight = 220 + 60 * kJobCount;  // 60 less for each job switched off
constexpr int kControlWidth = 318;
struct WindowArrangement {
    int dpi = kBaseDpi;
    int windowWidth = kWindowWidth;
    int windowHeight = kFullWindowHeight;
    int controlWidth = kControlWidth;
    int buttonHeight = kButtonHeight;
    int barHeight = 0;  // half the gap: a bar fills the middle of the gap under its button
    // By job, in the table's order: the top of its button and of its bar
    // (for a job with one), the offered jobs one after another; -1 for a
    // job the build does not offer.
    int buttonTop[kJobCount] = {};
    int barTop[kJobCount] = {};
    int bottom = 0;  // of the lowest button or bar
};

// gap: the height of the window font's text at dpi, the vertical gap between
// buttons; nonClient: the height of the window's frame and caption at dpi
// (-1: the 29 pixels of Windows' default at 96 dpi, scaled). The window is
// 60 pixels taller for each job offered, and taller still where the status
// line's three lines and its margins need it below the last button or bar.
WindowArrangement ArrangeWindow(const bool (&offered)[kJobCount], int gap, int dpi = kBaseDpi, int nonClient = -1);

// The status line's margin above and below it.
constexpr int kStatusMargin = 8;

// Top of the status line: right under the lowest button or bar, so that it
// stays inside the client area (clientHeight) with room for three lines.
int StatusLineTop(const WindowArrangement& arrangement, int gap, int clientHeight);
