#include "app/arrangement.h"

#include <algorithm>

WindowArrangement ArrangeWindow(const bool (&offered)[kJobCount], int gap, int dpi, int nonClient) {
    WindowArrangement arrangement;
    arrangement.dpi = dpi;
    arrangement.buttonHeight = Scaled(kButtonHeight, dpi);
    arrangement.controlWidth = Scaled(kControlWidth, dpi);
    arrangement.windowWidth = Scaled(kWindowWidth, dpi);
    int height = kFullWindowHeight;
    for (bool on : offered)
        if (!on) height -= 60;
    arrangement.windowHeight = Scaled(height, dpi);
    arrangement.barHeight = gap / 2;
    int top = 2 * arrangement.buttonHeight + Scaled(15, dpi);
    for (const Job& job : kJobs) {
        const std::size_t k = JobIndex(job.id);
        arrangement.buttonTop[k] = arrangement.barTop[k] = -1;
        if (!offered[k]) continue;
        arrangement.buttonTop[k] = top;
        arrangement.bottom = top + arrangement.buttonHeight;
        if (job.bar) {
            arrangement.barTop[k] = arrangement.bottom + Scaled(5, dpi);
            arrangement.bottom = arrangement.barTop[k] + arrangement.barHeight;
        }
        top += arrangement.buttonHeight + gap;
    }
    const int statusRoom = 2 * Scaled(kStatusMargin, dpi) + 3 * gap;
    const int frame = nonClient < 0 ? Scaled(29, dpi) : nonClient;
    arrangement.windowHeight = std::max(arrangement.windowHeight, arrangement.bottom + statusRoom + frame);
    return arrangement;
}

int StatusLineTop(const WindowArrangement& arrangement, int gap, int clientHeight) {
    const int top = arrangement.bottom + Scaled(kStatusMargin, arrangement.dpi);
    return std::min(top, std::max(0, clientHeight - 3 * gap));
}
