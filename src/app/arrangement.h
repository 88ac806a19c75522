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
    int buttonTop[kJobCount] = {};
    int progressTop[kJobCount - 1] = {};
};

// gap: the height of the window font's text at dpi, the vertical gap between buttons.
WindowArrangement ArrangeWindow(const bool (&offered)[kJobCount], int gap, int dpi = kBaseDpi);

// Top of the status line: right under the last shown button or bar, so that
// it stays inside the client area (clientHeight) with room for three lines.
int StatusLineTop(const WindowArrangement& arrangement, int shownButtons, int shownBars, int gap, int clientHeight);
