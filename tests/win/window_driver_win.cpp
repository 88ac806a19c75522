#include "window_driver_win.h"

#include <filesystem>
#include <fstream>
#include <vector>

#include "framework/gdi.h"
#include "screen_win.h"
#include "sys/handle_win.h"
#include "wine_helpers_win.h"

namespace test {

CWindowDriver::CWindowDriver() : m_dialog(std::make_unique<CInstallerDlg>(nullptr)) {
    m_thread = std::thread([this] { m_dialog->DoModal(); });
    // The window is ready when its title is set, the last step of its start.
    for (int i = 0; i < 400 && !m_hwnd; ++i) {
        HWND found = m_dialog->GetSafeHwnd();
        if (found && ::GetWindowTextLengthW(found) > 20) m_hwnd = found;
        else ::Sleep(25);
    }
    if (m_hwnd) ::RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

CWindowDriver::~CWindowDriver() {
    if (m_hwnd && ::IsWindow(m_hwnd)) ::PostMessageW(m_hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    if (m_thread.joinable()) m_thread.join();
}

bool CWindowDriver::WaitClosed(DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 20) {
        if (!::IsWindow(m_hwnd)) return true;
        ::Sleep(20);
    }
    return !::IsWindow(m_hwnd);
}

std::wstring CWindowDriver::Text(HWND hwnd) const { return screen::WindowText(hwnd); }

RECT CWindowDriver::ClientRectOf(int id) const {
    RECT r = {};
    ::GetWindowRect(Control(id), &r);
    ::MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

COLORREF CWindowDriver::Pixel(int x, int y) {
    ::RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    fw::CClientDC dc(m_hwnd);
    return ::GetPixel(dc.Get(), x, y);
}

void CWindowDriver::SaveScreenshot(const std::wstring& name) {
    ::RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const std::wstring dir = HostPath(INSTALLER_SCREENSHOT_DIR);
    ::CreateDirectoryW(dir.c_str(), nullptr);
    fw::CClientDC dc(m_hwnd);
    RECT client = {};
    ::GetClientRect(m_hwnd, &client);
    screen::SaveBmp(dc.Get(), client, dir + L"\\" + name + L".bmp");
}

bool WaitIdle(const std::atomic<bool>& flag, DWORD ms) {
    ::Sleep(300);  // past the job's start pause
    for (DWORD waited = 0; waited < ms; waited += 20) {
        if (!flag.load()) return true;
        ::Sleep(20);
    }
    return !flag.load();
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

bool WaitFocus(HWND window, HWND expected) {
    for (int waited = 0; waited < 3000; waited += 20) {
        if (FocusOf(window) == expected) return true;
        ::Sleep(20);
    }
    return false;
}

void Press(WORD key, bool shift) {
    std::vector<INPUT> input;
    const auto add = [&](WORD k, DWORD flags) {
        INPUT i = {};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = k;
        i.ki.dwFlags = flags;
        input.push_back(i);
    };
    if (shift) add(VK_SHIFT, 0);
    add(key, 0);
    add(key, KEYEVENTF_KEYUP);
    if (shift) add(VK_SHIFT, KEYEVENTF_KEYUP);
    ::SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

}  // namespace test
