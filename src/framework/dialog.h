#pragma once
// A modal dialog from a template, with control binding and typed handlers.
#include "framework/wnd.h"

namespace fw {

struct CMsgResult {
    bool handled = false;
    LRESULT value = 0;
};
inline CMsgResult Handled(LRESULT value = 0) { return {true, value}; }
inline CMsgResult NotHandled() { return {}; }

class CDialog : public CWnd {
public:
    CDialog(UINT templateId, HWND parent) : m_templateId(templateId), m_parent(parent) {}
    INT_PTR DoModal();
    void EndDialog(INT_PTR result) { ::EndDialog(m_hWnd, result); }
    void CenterWindow();  // on the work area of the window's monitor

protected:
    virtual BOOL OnInitDialog();  // binds the controls
    virtual void DoDataExchange() {}
    // Binds child id to control; the order of calls is the binding order.
    void DDX_Control(int id, CWnd& control) { control.BindToDlgItem(m_hWnd, id); }
    virtual CMsgResult OnMessage(UINT message, WPARAM wp, LPARAM lp);
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

private:
    static INT_PTR CALLBACK StaticDialogProc(HWND, UINT, WPARAM, LPARAM);
    INT_PTR Dispatch(UINT message, WPARAM wp, LPARAM lp);
    CMsgResult Reflect(UINT message, WPARAM wp, LPARAM lp);

    UINT m_templateId;
    HWND m_parent;
};

}  // namespace fw
