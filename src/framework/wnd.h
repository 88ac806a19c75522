#pragma once
// The window layer: a thin owner of an HWND, in the image of the classic C++
// window classes. Only what this program uses.
#include <windows.h>
#include <commctrl.h>

#include <string>

namespace fw {

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    // Takes the dialog's child id as this object's window.
    virtual bool BindToDlgItem(HWND dialog, int id);

    void SetWindowText(const std::wstring& text) { ::SetWindowTextW(m_hWnd, text.c_str()); }
    std::wstring GetWindowText() const;
    void ShowWindow(int command) { ::ShowWindow(m_hWnd, command); }
    void SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) {
        ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
    }
    void SetFont(HFONT font, bool redraw = true) {
        ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
    }
    RECT GetClientRect() const { RECT r = {}; ::GetClientRect(m_hWnd, &r); return r; }
    void Invalidate() { ::InvalidateRect(m_hWnd, nullptr, TRUE); }
    LRESULT SendMessage(UINT message, WPARAM wp = 0, LPARAM lp = 0) const {
        return ::SendMessageW(m_hWnd, message, wp, lp);
    }

protected:
    HWND m_hWnd = nullptr;
};

// Messages the parent reflects to the child control that draws itself.
constexpr UINT kReflectBase = WM_APP + 0x1C00;
constexpr UINT kReflectDrawItem = kReflectBase + WM_DRAWITEM;
constexpr UINT kReflectCtlColor = kReflectBase + WM_CTLCOLORBTN;
constexpr UINT kReflectCommand = kReflectBase + WM_COMMAND;

// A control whose messages pass through WindowProc first (subclassing).
class CSubclassWnd : public CWnd {
public:
    ~CSubclassWnd() override;
    bool BindToDlgItem(HWND dialog, int id) override;

protected:
    virtual void PreSubclassWindow() {}
    virtual LRESULT WindowProc(UINT message, WPARAM wp, LPARAM lp) { return Default(message, wp, lp); }
    LRESULT Default(UINT message, WPARAM wp, LPARAM lp) { return ::DefSubclassProc(m_hWnd, message, wp, lp); }

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    bool m_subclassed = false;
};

class CStatic : public CWnd {};

class CProgressCtrl : public CWnd {
public:
    void SetRange(int low, int high) { SendMessage(PBM_SETRANGE32, low, high); }
    int SetPos(int pos) { return static_cast<int>(SendMessage(PBM_SETPOS, pos)); }
    // A bar that moves by itself, for work of unknown length; off: a position again.
    void SetMarquee(bool on) {
        const LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
        if (((style & PBS_MARQUEE) != 0) == on) return;
        if (!on) SendMessage(PBM_SETMARQUEE, FALSE, 0);
        ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, on ? style | PBS_MARQUEE : style & ~LONG_PTR(PBS_MARQUEE));
        if (on) SendMessage(PBM_SETMARQUEE, TRUE, 30);
    }
};

}  // namespace fw
