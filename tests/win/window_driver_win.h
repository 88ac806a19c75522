#pragma once
// Runs the installer window on a thread of its own, the way the program runs
// it modally, and lets a test look at it and click it.
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "app/installer_dlg.h"

namespace test {

class CWindowDriver {
public:
    CWindowDriver();   // returns once the window is laid out and shown
    ~CWindowDriver();  // closes it (close box) unless closed already

    HWND Window() const { return m_hwnd; }
    CInstallerDlg& Dialog() { return *m_dialog; }
    HWND Control(int id) const { return ::GetDlgItem(m_hwnd, id); }
    std::wstring Text(HWND hwnd) const;
    bool Visible(int id) const { return ::IsWindowVisible(Control(id)) != FALSE; }
    RECT ClientRectOf(int id) const;  // in the window's client coordinates
    void Click(int id) { ::SendMessageW(Control(id), BM_CLICK, 0, 0); }
    void CloseBox() { ::SendMessageW(m_hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); }
    bool WaitClosed(DWORD ms);
    COLORREF Pixel(int x, int y);  // client coordinates, after a full repaint
    void SaveScreenshot(const std::wstring& name);

private:
    std::unique_ptr<CInstallerDlg> m_dialog;
    std::thread m_thread;
    HWND m_hwnd = nullptr;
};

// Waits until flag reads false again (a job finished), up to ms.
bool WaitIdle(const std::atomic<bool>& flag, DWORD ms);

// The control with the focus in window's thread.
HWND FocusOf(HWND window);
// Waits up to 3 s until expected has the focus.
bool WaitFocus(HWND window, HWND expected);
// A real key press (and release), Shift held around it when asked.
void Press(WORD key, bool shift = false);

}  // namespace test
