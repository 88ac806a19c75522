// The installer window's painting: blue background with the logo, white
// status text, the icon while minimised.
#include <algorithm>

#include "app/installer_dlg.h"

#include "res/resource.h"
#include "ui/colors.h"
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

// The logo centred 13 pixels (at 100 %) below the top.
void CInstallerDlg::PaintLogo(Gdiplus::Graphics& graphics, int width) {
    Gdiplus::Bitmap* logo = m_logo.Ready(m_layout.dpi);
    if (!logo) return;
    const int w = static_cast<int>(logo->GetWidth()), h = static_cast<int>(logo->GetHeight());
    graphics.DrawImage(logo, (width - w) / 2, Scaled(13, m_layout.dpi), w, h);
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
