#include "installer_process_win.h"

#include <vector>

#include "res/resource.h"
#include "screen_win.h"

namespace test {

namespace {
bool IsMessage(HWND hwnd) { return ::GetDlgItem(hwnd, IDC_NO_CONNECTION_TEXT) != nullptr; }
}  // namespace

CInstallerProcess::CInstallerProcess(const std::wstring& exe) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(exe.c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return;
    m_process.Reset(info.hProcess);
    sys::CKernelHandle thread(info.hThread);
    m_pid = info.dwProcessId;
    const std::wstring title = screen::InstallerTitle();
    m_window = screen::WaitForWindow(m_pid, [&](HWND hwnd) { return Text(hwnd) == title; }, 20000);
}

CInstallerProcess::~CInstallerProcess() {
    if (!m_process.Valid()) return;
    if (!WaitExit(0)) {
        CloseBox();
        if (!WaitExit(10000)) ::TerminateProcess(m_process.Get(), 99);
    }
}

std::wstring CInstallerProcess::Text(HWND hwnd) const { return screen::WindowText(hwnd); }

bool CInstallerProcess::Answers() const {
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutW(m_window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 3000, &ignored) != 0;
}

HWND CInstallerProcess::FindMessage(DWORD waitMs) const { return screen::WaitForWindow(m_pid, IsMessage, waitMs); }

bool CInstallerProcess::WaitExit(DWORD ms, DWORD* exitCode) const {
    if (::WaitForSingleObject(m_process.Get(), ms) != WAIT_OBJECT_0) return false;
    if (exitCode) ::GetExitCodeProcess(m_process.Get(), exitCode);
    return true;
}

std::wstring CInstallerProcess::WaitStatusChange(const std::wstring& before, DWORD ms) const {
    for (DWORD waited = 0; waited < ms; waited += 50) {
        const std::wstring now = StatusText();
        if (now != before) return now;
        ::Sleep(50);
    }
    return StatusText();
}

}  // namespace test
