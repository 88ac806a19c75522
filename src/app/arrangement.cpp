#include "app/arrangement.h"

#include <algorithm>

WindowArrangement ArrangeWindow(const bool (&offered)[kJobCount], int gap, int dpi) {
    WindowArrangement arrangement;
    arrangement.dpi = dpi;
    arrangement.buttonHeight = Scaled(kButtonHeight, dpi);
    arrangement.controlWidth = Scaled(kControlWidth, dpi);
    arrangement.windowWidth = Scaled(kWindowWidth, dpi);
    int height = kFullWindowHeight;
    for (bool on : offered)
        if (!on) height -= 60;
    arrangement.windowHeight = Scaled(height, dpi);
    const int top0 = 2 * arrangement.buttonHeight + Scaled(15, dpi);
    for (int k = 0; k < kJobCount; ++k) arrangement.buttonTop[k] = top0 + k * (arrangement.buttonHeight + gap);
    for (int k = 0; k < kJobCount - 1; ++k)
        arrangement.progressTop[k] = top0 + (k + 2) * arrangement.buttonHeight + (k + 1) * gap + Scaled(5, dpi);
    return arrangement;
}

int StatusLineTop(const WindowArrangement& arrangement, int shownButtons, int shownBars, int gap, int clientHeight) {
    int bottom = 0;
    if (shownButtons > 0) bottom = arrangement.buttonTop[shownButtons - 1] + arrangement.buttonHeight;
    if (shownBars > 0) bottom = std::max(bottom, arrangement.progressTop[shownBars - 1] + gap / 2);
    const int top = bottom + Scaled(8, arrangement.dpi);
    return std::min(top, std::max(0, clientHeight - 3 * gap));
}
