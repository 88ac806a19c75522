#pragma once
// Where the window puts its buttons and bars: the figures below are pixels at
// 96 dots per inch, scaled by the window's density (dpi / 96).

#include "install/features.h"  // one slot per job, in the table's order
#include "ui/scale.h"

constexpr int kButtonHeight = 46;
constexpr int kWindowWidth = 420;
constexpr int kFullWindowHeight = 220 + 60 * kJobCount;  // 460 with four jobs
constexpr int kControlWidth = 318;
struct WindowLayout {
    int dpi = kBaseDpi;
    int windowWidth = kWindowWidth;
    int windowHeight = kFullWindowHeight;
    int controlWidth = kControlWidth;
    int buttonHeight = kButtonHeight;
    int buttonTop[kJobCount] = {};
    int progressTop[kJobCount - 1] = {};
};

// gap: the height of the window font's text at dpi, the vertical gap between buttons.
WindowLayout ComputeLayout(const bool (&featureOn)[kJobCount], int gap, int dpi = kBaseDpi);

// Top of the status line: right under the last shown button or bar, so that
// it stays inside the client area (clientHeight) with room for three lines.
int StatusLineTop(const WindowLayout& layout, int shownButtons, int shownBars, int gap, int clientHeight);
