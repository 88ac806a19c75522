#include "app/layout.h"

#include <algorithm>

WindowLayout ComputeLayout(const bool (&featureOn)[kJobCount], int gap) {
    WindowLayout layout;
    const int top0 = 2 * kButtonHeight + 15;
    for (bool on : featureOn)
        if (!on) layout.windowHeight -= 60;
    for (int k = 0; k < kJobCount; ++k) layout.buttonTop[k] = top0 + k * (kButtonHeight + gap);
    for (int k = 0; k < kJobCount - 1; ++k)
        layout.progressTop[k] = top0 + (k + 2) * kButtonHeight + (k + 1) * gap + 5;
    return layout;
}

int StatusLineTop(const WindowLayout& layout, int shownButtons, int shownBars, int gap, int clientHeight) {
    int bottom = 0;
    if (shownButtons > 0) bottom = layout.buttonTop[shownButtons - 1] + kButtonHeight;
    if (shownBars > 0) bottom = std::max(bottom, layout.progressTop[shownBars - 1] + gap / 2);
    const int top = bottom + 8;
    return std::min(top, std::max(0, clientHeight - 3 * gap));
}
