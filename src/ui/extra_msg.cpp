#include "ui/extra_msg.h"

#include <algorithm>
#include <utility>

#include "res/resource.h"
#include "ui/colors.h"
#include "ui/high_contrast.h"
#include "ui/product_font.h"
#include "ui/scale.h"
#include "ui/screen_density.h"

CExtraMsg::CExtraMsg(HWND owner, std::wstring text) : CDialog(IDD_NO_CONNECTION_MSG, owner), m_message(std::move(text)) {}

void CExtraMsg::DoDataExchange() {
    DDX_Control(IDC_NO_CONNECTION_TEXT, m_text);
    DDX_Control(IDOK, m_btnOk);
}

BOOL CExtraMsg::OnInitDialog() {
    CDialog::OnInitDialog();
    TakeOverDialogScaling(m_hWnd);
    m_highContrast = HighContrastOn();
    LayOut(WindowDpi(m_hWnd));
    CenterWindow();  // on the work area of its owner's monitor
    m_btnOk.ShowWindow(SW_SHOW);
    // A modal dialog disables its owner; this one must not, and it is shown
    // well after the click, when another window may have come to the front.
    if (HWND owner = ::GetWindow(m_hWnd, GW_OWNER)) ::EnableWindow(owner, TRUE);
    ::SetForegroundWindow(m_hWnd);
    return TRUE;
}

// Font, size, text area and button for the density.
void CExtraMsg::LayOut(int dpi) {
    CreateProductFont(dpi, m_font);
    PlaceAtDensity(dpi);
    const int grow = FitTextArea(m_message);
    const RECT client = GetClientRect();
    const int width = Scaled(92, dpi);
    m_btnOk.SetWindowPos(nullptr, (client.right - width) / 2, Scaled(70, dpi) + grow, width, Scaled(36, dpi),
                         SWP_NOZORDER);
    static const UINT faces[3] = {IDB_OK_FACE, IDB_OK_FACE_150, IDB_OK_FACE_200};
    ApplyProductLook(m_btnOk, faces, m_font.Get(), dpi, m_highContrast);
    m_text.SetFont(m_font.Get());
    m_text.SetWindowText(m_message);
}

// Moved to a monitor of another density: laid out anew there, where Windows suggests.
void CExtraMsg::OnDpiChanged(int dpi, const RECT& suggested) {
    LayOut(dpi);
    RECT outer = {};
    ::GetWindowRect(m_hWnd, &outer);
    SetWindowPos(nullptr, suggested.left, suggested.top, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    Invalidate();
}

// The dialog's figures, pixels at 96 dpi, scaled to the density: the
// template's dialog units follow its own font, which scales unevenly.
void CExtraMsg::PlaceAtDensity(int dpi) {
    RECT outer = {};
    ::GetWindowRect(m_hWnd, &outer);
    const RECT client = GetClientRect();
    const int frameWidth = (outer.right - outer.left) - client.right, frameHeight = (outer.bottom - outer.top) - client.bottom;
    SetWindowPos(nullptr, 0, 0, Scaled(318, dpi) + frameWidth, Scaled(158, dpi) + frameHeight, SWP_NOZORDER | SWP_NOMOVE);
    m_text.SetWindowPos(nullptr, Scaled(29, dpi), Scaled(24, dpi), Scaled(254, dpi), Scaled(36, dpi), SWP_NOZORDER);
}

// The template's text area holds about one line of the product font: it
// grows to the wrapped text's height, and the dialog with it. How much it grew.
int CExtraMsg::FitTextArea(const std::wstring& text) {
    RECT area = {};
    ::GetWindowRect(m_text.GetSafeHwnd(), &area);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&area), 2);
    RECT needed = {0, 0, area.right - area.left, 0};
    {
        fw::CClientDC dc(m_hWnd);
        fw::CSelectObject font(dc.Get(), m_font.Get());
        ::DrawTextW(dc.Get(), text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    }
    const int grow = std::max(0L, needed.bottom - (area.bottom - area.top));
    if (grow == 0) return 0;
    m_text.SetWindowPos(nullptr, area.left, area.top, area.right - area.left, needed.bottom, SWP_NOZORDER);
    RECT window = {};
    ::GetWindowRect(m_hWnd, &window);
    SetWindowPos(nullptr, 0, 0, window.right - window.left, window.bottom - window.top + grow,
                 SWP_NOZORDER | SWP_NOMOVE);
    return grow;
}

fw::CMsgResult CExtraMsg::OnMessage(UINT message, WPARAM wp, LPARAM lp) {
    if (message == WM_DPICHANGED) {
        OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
        return fw::Handled();
    }
    if (message == WM_ERASEBKGND) {
        const RECT client = GetClientRect();
        fw::CBrush blue(::CreateSolidBrush(m_highContrast ? ::GetSysColor(COLOR_WINDOW) : kBackgroundColor));
        ::FillRect(reinterpret_cast<HDC>(wp), &client, blue.Get());
        return fw::Handled(TRUE);
    }
    if (message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lp) == m_text.GetSafeHwnd()) {
        const HBRUSH brush = WhiteTextOnBackground(reinterpret_cast<HDC>(wp), m_font.Get());
        if (m_highContrast) ::SetTextColor(reinterpret_cast<HDC>(wp), ::GetSysColor(COLOR_WINDOWTEXT));
        return fw::Handled(reinterpret_cast<LRESULT>(brush));
    }
    return CDialog::OnMessage(message, wp, lp);
}
