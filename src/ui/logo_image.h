#pragma once
// The logo, made once at the size the window shows it, on a thread of its
// own while the window is made.
#include <future>
#include <memory>

#include "ui/logo_pixels.h"

class CLogoImage {
public:
    // Starts making the logo for dpi: at 85 % of its size at 100 %, from the
    // drawing nearest above the density, over the window's colour.
    void Start(int dpi);
    // The logo for dpi (made now when it was started for another), or null.
    const LogoPixels* Ready(int dpi);

private:
    int m_dpi = 0;
    std::future<std::shared_ptr<LogoPixels>> m_making;
    std::shared_ptr<LogoPixels> m_logo;
};
