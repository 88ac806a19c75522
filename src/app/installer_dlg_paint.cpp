// The installer window's painting: blue background with the logo, white
// status text, the icon while minimised.
#include <algorithm>

#include "app/installer_dlg.h"

#include "res/resource.h"
#include "ui/colors.h"
#include "ui/png_resource.h"

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
            Gdiplus::SolidBrush blue(Gdiplus::Color(255, GetRValue(kBackgroundColor), GetGValue(kBackgroundColor),
                                                   GetBValue(kBackgroundColor)));
            graphics.FillRectangle(&blue, 0, 0, std::max(g_windowWidth, width), std::max(g_windowHeight, height));
            CPngImage logo;
            if (LoadPngResource(IDR_LOGO_PNG, L"PNG", logo)) {
                const double w = logo.image->GetWidth() * 0.85, h = logo.image->GetHeight() * 0.85;
                graphics.DrawImage(logo.image.get(), static_cast<int>((width - w) / 2.0), 13,
                                   static_cast<int>(w), static_cast<int>(h));
            }
        }
        ::BitBlt(dc, 0, 0, width, height, memory.Get(), 0, 0, SRCCOPY);
    }
}

HBRUSH CInstallerDlg::OnCtlColor(HDC dc, HWND control) {
    return control == m_status.GetSafeHwnd() ? WhiteTextOnBackground(dc, m_font.Get()) : nullptr;
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
