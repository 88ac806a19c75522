#include "ui/logo_image.h"

#include "res/resource.h"
#include "ui/bitmap_resource.h"
#include "ui/scale.h"
#include "ui/screen_density.h"

namespace {
std::shared_ptr<Gdiplus::Bitmap> DrawLogo(int dpi) {
    const int percent = ArtworkPercent(dpi);
    static const UINT drawings[3] = {IDB_LOGO, IDB_LOGO_150, IDB_LOGO_200};
    const auto logo = LoadAlphaBitmapResource(ArtworkFor(dpi, drawings));
    if (!logo) return nullptr;
    const double scale = 0.85 * 100.0 / percent * dpi / kBaseDpi;
    const int width = static_cast<int>(logo->GetWidth() * scale);
    const int height = static_cast<int>(logo->GetHeight() * scale);
    auto bitmap = std::make_shared<Gdiplus::Bitmap>(width, height, PixelFormat32bppPARGB);
    if (bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;
    Gdiplus::Graphics graphics(bitmap.get());
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.DrawImage(logo.get(), 0, 0, width, height);
    return bitmap;
}
}  // namespace

CLogoImage::~CLogoImage() {
    if (m_drawing.valid()) m_drawing.wait();  // GDI+ must outlive the drawing
}

void CLogoImage::Start(int dpi) {
    m_dpi = dpi;
    m_drawing = std::async(std::launch::async, [dpi] { return DrawLogo(dpi); });
}

Gdiplus::Bitmap* CLogoImage::Ready(int dpi) {
    if (m_drawing.valid()) m_bitmap = m_drawing.get();
    if (dpi != m_dpi) {
        m_dpi = dpi;
        m_bitmap = DrawLogo(dpi);
    }
    return m_bitmap.get();
}
