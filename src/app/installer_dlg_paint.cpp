// The installer window's painting: blue background with the logo, white
// status text, the icon while minimised.

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
        fw::CBrush fill(::CreateSolidBrush(m_highContrast ? ::GetSysColor(COLOR_WINDOW) : kBackgroundColor));
        const RECT all = {0, 0, width, height};
        ::FillRect(memory.Get(), &all, fill.Get());
        if (!m_highContrast) PaintLogo(memory.Get(), width);
        ::BitBlt(dc, 0, 0, width, height, memory.Get(), 0, 0, SRCCOPY);
    }
}

// The logo centred 13 pixels (at 100 %) below the top; it comes already laid
// over the window's colour.
void CInstallerDlg::PaintLogo(HDC dc, int width) {
    const LogoPixels* logo = m_logo.Ready(m_arrangement.dpi);
    if (!logo) return;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = logo->width;
    info.bmiHeader.biHeight = -logo->height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    ::SetDIBitsToDevice(dc, (width - logo->width) / 2, Scaled(13, m_arrangement.dpi), logo->width, logo->height, 0, 0, 0,
                        logo->height, logo->pixels.data(), &info, DIB_RGB_COLORS);
}

HBRUSH CInstallerDlg::OnCtlColor(HDC dc, HWND control) {
    const bool status = control == m_status.GetSafeHwnd();
    if (!status && control != m_device.GetSafeHwnd()) return nullptr;
    const HFONT font = status ? m_statusFontInUse : m_deviceFontInUse;
    if (!m_highContrast) return WhiteTextOnBackground(dc, font);
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SelectObject(dc, font);
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
