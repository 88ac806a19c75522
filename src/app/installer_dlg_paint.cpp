// The installer window's painting: blue background with the logo, white
// status text, the icon while minimised.
#include <algorithm>

#include "app/installer_dlg.h"

#include "res/resource.h"
#include "ui/colors.h"
#include "ui/png_resource.h"
#include "ui/scale.h"
#include "ui/screen_density.h"

BOOL CInstallerDlg::OnEraseBkgnd(HDC dc) {
    PaintBackground(dc, GetClientRect());
    return TRUE;
}

void CInstallerDlg::PaintBackground(HDC dc, const RECT& rect) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    fw::CMemoryDC memory(::CreateCompatibleDC(dc));
    fw::CBitmap bitmap(::CreateCompatibleBitmap(dc, width, height));
    {
        fw::CSelectObject select(memory.Get(), bitmap.Get());
        {
            Gdiplus::Graphics graphics(memory.Get());
            const COLORREF fill = m_highContrast ? ::GetSysColor(COLOR_WINDOW) : kBackgroundColor;
            Gdiplus::SolidBrush brush(Gdiplus::Color(255, GetRValue(fill), GetGValue(fill), GetBValue(fill)));
            graphics.FillRectangle(&brush, 0, 0, std::max(g_windowWidth, width), std::max(g_windowHeight, height));
            if (!m_highContrast) PaintLogo(graphics, width);
        }
        ::BitBlt(dc, 0, 0, width, height, memory.Get(), 0, 0, SRCCOPY);
    }
}

// The logo at 85 % of its size at 100 %, from the drawing nearest above the
// window's density, centred 13 pixels (at 100 %) below the top.
void CInstallerDlg::PaintLogo(Gdiplus::Graphics& graphics, int width) {
    const int dpi = m_layout.dpi, percent = ArtworkPercent(dpi);
    CPngImage logo;
    if (!LoadPngResource(percent == 100 ? IDR_LOGO_PNG : percent == 150 ? IDR_LOGO_PNG_150 : IDR_LOGO_PNG_200, L"PNG",
                         logo))
        return;
    const double scale = 0.85 * 100.0 / percent * dpi / kBaseDpi;
    const double w = logo.image->GetWidth() * scale, h = logo.image->GetHeight() * scale;
    if (dpi != kBaseDpi) graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.DrawImage(logo.image.get(), static_cast<int>((width - w) / 2.0), Scaled(13, dpi), static_cast<int>(w),
                       static_cast<int>(h));
}

HBRUSH CInstallerDlg::OnCtlColor(HDC dc, HWND control) {
    if (control != m_status.GetSafeHwnd()) return nullptr;
    if (!m_highContrast) return WhiteTextOnBackground(dc, m_statusFontInUse);
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SelectObject(dc, m_statusFontInUse);
    return static_cast<HBRUSH>(::GetStockObject(HOLLOW_BRUSH));
}

bool CInstallerDlg::OnPaint() {
    if (!::IsIconic(m_hWnd)) return false;
    fw::CPaintDC dc(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()), 0);
    const RECT client = GetClientRect();
    const int x = (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc.Get(), x, y, m_hIcon);
    return true;
}
