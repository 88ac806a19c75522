#include "ui/logo_image.h"

#include "res/resource.h"
#include "ui/bitmap_resource.h"
#include "ui/colors.h"
#include "ui/scale.h"
#include "ui/screen_density.h"

namespace {
std::shared_ptr<LogoPixels> MakeLogo(int dpi) {
    static const UINT drawings[3] = {IDB_LOGO, IDB_LOGO_150, IDB_LOGO_200};
    const auto art = FindAlphaBitmap(ArtworkFor(dpi, drawings));
    if (!art) return nullptr;
    const double scale = 0.85 * 100.0 / ArtworkPercent(dpi) * dpi / kBaseDpi;
    auto logo = std::make_shared<LogoPixels>(
        ComposeLogo(*art, static_cast<int>(art->width * scale), static_cast<int>(art->height * scale),
                    GetRValue(kBackgroundColor), GetGValue(kBackgroundColor), GetBValue(kBackgroundColor)));
    return logo->pixels.empty() ? nullptr : logo;
}
}  // namespace

void CLogoImage::Start(int dpi) {
    m_dpi = dpi;
    m_making = std::async(std::launch::async, [dpi] { return MakeLogo(dpi); });
}

const LogoPixels* CLogoImage::Ready(int dpi) {
    if (m_making.valid()) m_logo = m_making.get();
    if (dpi != m_dpi) {
        m_dpi = dpi;
        m_logo = MakeLogo(dpi);
    }
    return m_logo.get();
}
