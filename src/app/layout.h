#pragma once
// Where the window puts its buttons and bars, in unscaled pixels.

constexpr int kFeatureCount = 4;  // Wi-Fi, Bluetooth, hotspot, receiver, always in this order
constexpr int kButtonHeight = 46;
constexpr int kWindowWidth = 420;
constexpr int kFullWindowHeight = 460;
constexpr int kControlWidth = 318;

struct WindowLayout {
    int windowHeight = kFullWindowHeight;
    int buttonTop[kFeatureCount] = {};
    int progressTop[kFeatureCount - 1] = {};
};

// gap: the height of the window font's text, the vertical gap between buttons.
WindowLayout ComputeLayout(const bool (&featureOn)[kFeatureCount], int gap);

// Top of the status line: right under the last shown button or bar, so that
// it stays inside the client area (clientHeight) with room for three lines.
int StatusLineTop(const WindowLayout& layout, int shownButtons, int shownBars, int gap, int clientHeight);
