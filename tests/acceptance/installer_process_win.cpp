#include "installer_process_win.h"

#include <vector>

namespace test {

namespace {
const wchar_t kTitle[] = L"USB Bluetooth Wireless Adapter (1.2.0.15)";

struct CSearch {
    DWORD pid;
    bool wantMessage;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<CSearch*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->pid || !::IsWindowVisible(hwnd)) return TRUE;
    wchar_t title[128] = {};
    ::GetWindowTextW(hwnd, title, 128);
    const bool isMessage = ::GetDlgItem(hwnd, 1010) != nullptr;
    if (search->wantMessage ? isMessage : std::wstring(title) == kTitle) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindProcessWindow(DWORD pid, bool message, DWORD waitMs) {
    for (DWORD waited = 0;; waited += 50) {
        CSearch search{pid, message, nullptr};
        ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found || waited >= waitMs) return search.found;
        ::Sleep(50);
    }
}
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
    m_window = FindProcessWindow(m_pid, false, 20000);
}

CInstallerProcess::~CInstallerProcess() {
    if (!m_process.Valid()) return;
    if (!WaitExit(0)) {
        CloseBox();
        if (!WaitExit(10000)) ::TerminateProcess(m_process.Get(), 99);
    }
}

std::wstring CInstallerProcess::Text(HWND hwnd) const {
    wchar_t text[512] = {};
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &ignored);
    return text;
}

bool CInstallerProcess::Answers() const {
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutW(m_window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 3000, &ignored) != 0;
}

HWND CInstallerProcess::FindMessage(DWORD waitMs) const { return FindProcessWindow(m_pid, true, waitMs); }

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
