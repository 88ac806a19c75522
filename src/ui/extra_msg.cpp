#include "ui/extra_msg.h"

#include "app/installer_dlg.h"
#include "res/resource.h"
#include "ui/colors.h"

CExtraMsg::CExtraMsg(HWND parent) : CDialog(IDD_EXTRA_MSG, parent) {}

void CExtraMsg::DoDataExchange() {
    DDX_Control(IDC_EXTRA_TEXT, m_text);
    DDX_Control(IDOK, m_btnOk);
}

BOOL CExtraMsg::OnInitDialog() {
    CDialog::OnInitDialog();
    {
        fw::CClientDC dc(m_hWnd);
        m_dpiScale = static_cast<float>(::GetDeviceCaps(dc.Get(), LOGPIXELSX)) / 96.0f;
    }
    m_font.CreatePointFont(static_cast<int>(150.0 / m_dpiScale), L"Microsoft JhengHei");
    CenterWindow();  // no owner: the primary monitor's work area

    const RECT client = GetClientRect();
    m_btnOk.SetWindowPos(nullptr, (client.right - 92) / 2, 70, 92, 36, SWP_NOZORDER | SWP_HIDEWINDOW);
    m_btnOk.SetFaceImages(IDB_OK_FACE, RGB(0, 0, 0));
    m_btnOk.SetFont(m_font.Get(), true);
    m_btnOk.SetArrangement(3, true);
    for (int index : {CImageButton::kFgFocus, CImageButton::kFgNormal, CImageButton::kFgHover})
        m_btnOk.SetStateColor(index, RGB(255, 255, 255), false);
    m_btnOk.EnableHoverBorder(false, true);
    m_btnOk.ShowWindow(SW_SHOW);

    m_text.SetFont(m_font.Get());
    m_text.SetWindowText(m_translation.GetWord(kTranslationKeys[kHintNoInternet]));
    return TRUE;
}

fw::CMsgResult CExtraMsg::OnMessage(UINT message, WPARAM wp, LPARAM lp) {
    if (message == WM_ERASEBKGND) {
        const RECT client = GetClientRect();
        fw::CBrush blue(::CreateSolidBrush(INSTALLER_BACKGROUND_RGB));
        ::FillRect(reinterpret_cast<HDC>(wp), &client, blue.Get());
        return fw::Handled(TRUE);
    }
    if (message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lp) == m_text.GetSafeHwnd()) {
        HDC dc = reinterpret_cast<HDC>(wp);
        ::SetTextColor(dc, RGB(255, 255, 255));
        ::SetBkMode(dc, TRANSPARENT);
        ::SelectObject(dc, m_font.Get());
        return fw::Handled(reinterpret_cast<LRESULT>(::GetStockObject(HOLLOW_BRUSH)));
    }
    return CDialog::OnMessage(message, wp, lp);
}

// Runs on the calling job thread with no owner, so the installer window stays usable.
void CInstallerDlg::ShowNoInternetHint() {
    CExtraMsg message(nullptr);
    message.DoModal();
}
