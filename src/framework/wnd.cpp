#include <windows.h>
#include <commctrl.h>

#include "framework/wnd.h"

#include <vector>

namespace fw {

bool CWnd::BindToDlgItem(HWND dialog, int id) {
    m_hWnd = ::GetDlgItem(dialog, id);
    return m_hWnd != nullptr;
}

std::wstring CWnd::GetWindowText() const {
    const int length = ::GetWindowTextLengthW(m_hWnd);
    std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1, L'\0');
    ::GetWindowTextW(m_hWnd, text.data(), length + 1);
    return text.data();
}

CSubclassWnd::~CSubclassWnd() {
    if (m_subclassed && ::IsWindow(m_hWnd)) ::RemoveWindowSubclass(m_hWnd, SubclassProc, 0);
}

bool CSubclassWnd::BindToDlgItem(HWND dialog, int id) {
    if (!CWnd::BindToDlgItem(dialog, id)) return false;
    PreSubclassWindow();
    m_subclassed = ::SetWindowSubclass(m_hWnd, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
    return m_subclassed;
}

LRESULT CALLBACK CSubclassWnd::SubclassProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp, UINT_PTR,
                                            DWORD_PTR data) {
    auto* self = reinterpret_cast<CSubclassWnd*>(data);
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, SubclassProc, 0);
        self->m_subclassed = false;
        return ::DefSubclassProc(hwnd, message, wp, lp);
    }
    return self->WindowProc(message, wp, lp);
}

}  // namespace fw
