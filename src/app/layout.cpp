#include "app/layout.h"

#include <algorithm>

WindowLayout ComputeLayout(const bool (&featureOn)[kJobCount], int gap, int dpi) {
    WindowLayout layout;
    layout.dpi = dpi;
    layout.buttonHeight = Scaled(kButtonHeight, dpi);
    layout.controlWidth = Scaled(kControlWidth, dpi);
    layout.windowWidth = Scaled(kWindowWidth, dpi);
    int height = kFullWindowHeight;
    for (bool on : featureOn)
        if (!on) height -= 60;
    layout.windowHeight = Scaled(height, dpi);
    const int top0 = 2 * layout.buttonHeight + Scaled(15, dpi);
    for (int k = 0; k < kJobCount; ++k) layout.buttonTop[k] = top0 + k * (layout.buttonHeight + gap);
    for (int k = 0; k < kJobCount - 1; ++k)
        layout.progressTop[k] = top0 + (k + 2) * layout.buttonHeight + (k + 1) * gap + Scaled(5, dpi);
    return layout;
}

int StatusLineTop(const WindowLayout& layout, int shownButtons, int shownBars, int gap, int clientHeight) {
    int bottom = 0;
    if (shownButtons > 0) bottom = layout.buttonTop[shownButtons - 1] + layout.buttonHeight;
    if (shownBars > 0) bottom = std::max(bottom, layout.progressTop[shownBars - 1] + gap / 2);
    const int top = bottom + Scaled(8, layout.dpi);
    return std::min(top, std::max(0, clientHeight - 3 * gap));
}
