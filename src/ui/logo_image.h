#pragma once
// The logo, drawn once at the size the window shows it, on a thread of its
// own while the window is made.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <future>
#include <memory>

class CLogoImage {
public:
    ~CLogoImage();
    // Starts drawing the logo for dpi: at 85 % of its size at 100 %, from the
    // drawing nearest above the density. GDI+ must be running.
    void Start(int dpi);
    // The logo for dpi (drawn now when it was started for another), or null.
    Gdiplus::Bitmap* Ready(int dpi);

private:
    int m_dpi = 0;
    std::future<std::shared_ptr<Gdiplus::Bitmap>> m_drawing;
    std::shared_ptr<Gdiplus::Bitmap> m_bitmap;
};
