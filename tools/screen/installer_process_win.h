#pragma once
// Installer.exe started as its own process, found by its title and driven
// through its buttons the way a user drives it.
#include <windows.h>

#include <string>

#include "res/resource.h"
#include "sys/handle_win.h"

namespace test {

class CInstallerProcess {
public:
    explicit CInstallerProcess(const std::wstring& exe);  // waits for the window
    ~CInstallerProcess();                                 // closes it if still open
    CInstallerProcess(const CInstallerProcess&) = delete;
    CInstallerProcess& operator=(const CInstallerProcess&) = delete;

    HWND Window() const { return m_window; }
    HWND Control(int id) const { return ::GetDlgItem(m_window, id); }
    std::wstring Text(HWND hwnd) const;
    std::wstring StatusText() const { return Text(Control(IDC_STATUS)); }
    bool Visible(int id) const { return ::IsWindowVisible(Control(id)) != FALSE; }
    void Click(int id) const { ::PostMessageW(Control(id), BM_CLICK, 0, 0); }
    bool Answers() const;  // the window's thread still handles messages
    // The no-connection message of this process, if one is open.
    HWND FindMessage(DWORD waitMs) const;
    void CloseBox() const { ::PostMessageW(m_window, WM_SYSCOMMAND, SC_CLOSE, 0); }
    bool WaitExit(DWORD ms, DWORD* exitCode = nullptr) const;
    // Waits until the status line reads something else than before.
    std::wstring WaitStatusChange(const std::wstring& before, DWORD ms) const;

private:
    sys::CKernelHandle m_process;
    DWORD m_pid = 0;
    HWND m_window = nullptr;
};

}  // namespace test
