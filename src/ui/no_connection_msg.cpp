#include "ui/no_connection_msg.h"

#include "res/resource.h"
#include "ui/colors.h"
#include "ui/product_font.h"

CExtraMsg::CExtraMsg(HWND parent) : CDialog(IDD_NO_CONNECTION_MSG, parent) {}

void CExtraMsg::DoDataExchange() {
    DDX_Control(IDC_NO_CONNECTION_TEXT, m_text);
    DDX_Control(IDOK, m_btnOk);
}

BOOL CExtraMsg::OnInitDialog() {
    CDialog::OnInitDialog();
    CreateProductFont(m_hWnd, m_font);
    CenterWindow();  // no owner: the primary monitor's work area

    const RECT client = GetClientRect();
    m_btnOk.SetWindowPos(nullptr, (client.right - 92) / 2, 70, 92, 36, SWP_NOZORDER | SWP_HIDEWINDOW);
    ApplyProductLook(m_btnOk, IDB_OK_FACE, m_font.Get());
    m_btnOk.ShowWindow(SW_SHOW);

    m_text.SetFont(m_font.Get());
    m_text.SetWindowText(m_translation.GetWord(kTranslationKeys[kHintNoInternet]));
    return TRUE;
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
