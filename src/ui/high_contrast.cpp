#include "ui/high_contrast.h"

#include <windows.h>

namespace {
std::function<bool()>& Source() {
    static std::function<bool()> source;
    return source;
}
}  // namespace

bool HighContrastOn() {
    if (Source()) return Source()();
    HIGHCONTRASTW setting = {sizeof setting, 0, nullptr};
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0) &&
           (setting.dwFlags & HCF_HIGHCONTRASTON);
}

void SetHighContrastSource(std::function<bool()> source) { Source() = std::move(source); }
