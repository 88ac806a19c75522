#include "ui/no_connection_msg.h"

#include <algorithm>

#include "res/resource.h"
#include "ui/colors.h"
#include "ui/product_font.h"

CExtraMsg::CExtraMsg(HWND owner) : CDialog(IDD_NO_CONNECTION_MSG, owner) {}

void CExtraMsg::DoDataExchange() {
    DDX_Control(IDC_NO_CONNECTION_TEXT, m_text);
    DDX_Control(IDOK, m_btnOk);
}

BOOL CExtraMsg::OnInitDialog() {
    CDialog::OnInitDialog();
    CreateProductFont(m_hWnd, m_font);
    const std::wstring text = m_translation.GetWord(kTranslationKeys[kHintNoInternet]);
    const int grow = FitTextArea(text);
    CenterWindow();  // on the work area of its owner's monitor

    const RECT client = GetClientRect();
    m_btnOk.SetWindowPos(nullptr, (client.right - 92) / 2, 70 + grow, 92, 36, SWP_NOZORDER | SWP_HIDEWINDOW);
    ApplyProductLook(m_btnOk, IDB_OK_FACE, m_font.Get());
    m_btnOk.ShowWindow(SW_SHOW);

    m_text.SetFont(m_font.Get());
    m_text.SetWindowText(text);
    // A modal dialog disables its owner; this one must not, and it is shown
    // well after the click, when another window may have come to the front.
    if (HWND owner = ::GetWindow(m_hWnd, GW_OWNER)) ::EnableWindow(owner, TRUE);
    ::SetForegroundWindow(m_hWnd);
    return TRUE;
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
    if (message == WM_ERASEBKGND) {
        const RECT client = GetClientRect();
        fw::CBrush blue(::CreateSolidBrush(kBackgroundColor));
        ::FillRect(reinterpret_cast<HDC>(wp), &client, blue.Get());
        return fw::Handled(TRUE);
    }
    if (message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lp) == m_text.GetSafeHwnd())
        return fw::Handled(reinterpret_cast<LRESULT>(WhiteTextOnBackground(reinterpret_cast<HDC>(wp), m_font.Get())));
    return CDialog::OnMessage(message, wp, lp);
}
