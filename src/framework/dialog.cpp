#include "framework/dialog.h"

namespace fw {

INT_PTR CDialog::DoModal() {
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), m_parent,
                             StaticDialogProc, reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::OnInitDialog() {
    DoDataExchange();
    return TRUE;
}

void CDialog::CenterWindow() {
    RECT window = {};
    ::GetWindowRect(m_hWnd, &window);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    const int width = window.right - window.left, height = window.bottom - window.top;
    ::SetWindowPos(m_hWnd, nullptr, area.left + (area.right - area.left - width) / 2,
                   area.top + (area.bottom - area.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CMsgResult CDialog::OnMessage(UINT message, WPARAM wp, LPARAM) {
    if (message == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
        if (LOWORD(wp) == IDOK) { OnOK(); return Handled(); }
        if (LOWORD(wp) == IDCANCEL) { OnCancel(); return Handled(); }
    }
    return NotHandled();
}

// Owner-draw, colour and click notifications go to the control first, so that
// a control can draw and colour itself.
CMsgResult CDialog::Reflect(UINT message, WPARAM wp, LPARAM lp) {
    HWND child = nullptr;
    if (message == WM_DRAWITEM) child = reinterpret_cast<DRAWITEMSTRUCT*>(lp)->hwndItem;
    else if (message == WM_CTLCOLORBTN || message == WM_COMMAND) child = reinterpret_cast<HWND>(lp);
    if (!child || ::GetParent(child) != m_hWnd) return NotHandled();
    const UINT reflected = message == WM_CTLCOLORBTN ? kReflectCtlColor : kReflectBase + message;
    const LRESULT answer = ::SendMessageW(child, reflected, wp, lp);
    if (message == WM_COMMAND) return NotHandled();  // the parent's handler runs too
    return answer ? Handled(answer) : NotHandled();
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wp, LPARAM lp) {
    CMsgResult result = Reflect(message, wp, lp);
    if (!result.handled) result = OnMessage(message, wp, lp);
    if (!result.handled) return FALSE;
    switch (message) {  // these answer through the return value itself
    case WM_CTLCOLORBTN: case WM_CTLCOLORSTATIC: case WM_CTLCOLORDLG: case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORMSGBOX:
    case WM_QUERYDRAGICON: case WM_INITDIALOG:
        return static_cast<INT_PTR>(result.value);
    default:
        ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result.value);
        return TRUE;
    }
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CDialog*>(lp);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lp);
        self->m_hWnd = hwnd;
        return self->OnInitDialog();
    }
    auto* self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;
    const INT_PTR answer = self->Dispatch(message, wp, lp);
    if (message == WM_NCDESTROY) self->m_hWnd = nullptr;
    return answer;
}

}  // namespace fw
