// The headless demo tour: starts Installer.exe, uses it as a person would
// and saves a picture of the screen at each step. Usage:
//   tour_driver <Installer.exe> <folder for screenshots> <service script.json>
//   tour_driver --sheet <Installer.exe> <folder> <service script.json> <name>
// The second form takes only two pictures for a contact sheet of the UI
// languages: <name>-window.bmp (after the Wi-Fi install, its status text
// shown) and <name>-message.bmp (the no-connection message).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <fstream>
#include <string>

#include "res/resource.h"
#include "screen_win.h"
#include "sys/handle_win.h"

namespace {

std::wstring g_shots;

void Say(const std::wstring& text) {  // UTF-8: the texts may be in any language
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), size, nullptr, nullptr);
    std::printf("%s\n", utf8.c_str());
    std::fflush(stdout);
}

std::wstring Text(HWND hwnd) { return screen::WindowText(hwnd); }

void Screenshot(const std::wstring& name) {
    ::Sleep(400);  // let the windows finish painting
    if (screen::SaveScreenBmp(g_shots + L"\\" + name + L".bmp")) Say(L"  [screenshot " + name + L"]");
}

// Only the window itself, as it shows on the screen.
void WindowShot(HWND window, const std::wstring& name) {
    ::Sleep(400);
    screen::SaveWindowBmp(window, g_shots + L"\\" + name + L".bmp");
}

bool IsMessage(HWND hwnd) { return ::GetDlgItem(hwnd, IDC_NO_CONNECTION_TEXT) != nullptr; }

std::wstring WaitStatus(HWND status, const std::wstring& before, DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 100) {
        if (Text(status) != before) break;
        ::Sleep(100);
    }
    return Text(status);
}

class CInstallerRun {  // the installer as its own process, closed at the end
public:
    explicit CInstallerRun(const std::wstring& exe) {
        std::wstring commandLine = L"\"" + exe + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &info))
            return;
        m_process.Reset(info.hProcess);
        sys::CKernelHandle thread(info.hThread);
        m_pid = info.dwProcessId;
        const std::wstring title = screen::InstallerTitle();
        m_window = screen::WaitForWindow(m_pid, [&](HWND hwnd) { return Text(hwnd) == title; }, 30000);
    }
    HWND Window() const { return m_window; }
    HWND Control(int id) const { return ::GetDlgItem(m_window, id); }
    void Click(int id) const { ::PostMessageW(Control(id), BM_CLICK, 0, 0); }
    HWND WaitMessage() const { return screen::WaitForWindow(m_pid, IsMessage, 30000); }
    bool Close() const {
        ::PostMessageW(m_window, WM_SYSCOMMAND, SC_CLOSE, 0);
        return ::WaitForSingleObject(m_process.Get(), 15000) == WAIT_OBJECT_0;
    }

private:
    sys::CKernelHandle m_process;
    DWORD m_pid = 0;
    HWND m_window = nullptr;
};

void DropTheService(const wchar_t* script) {
    std::ofstream(script) << R"({"/api/rx/RealtekDrivers": {"drop": true}})";
    ::Sleep(1500);  // the service reads its script again
}

int Tour(const wchar_t* exe, const wchar_t* script) {
    CInstallerRun installer(exe);
    HWND window = installer.Window();
    if (!window) { Say(L"the installer window did not appear"); return 1; }
    HWND status = installer.Control(IDC_STATUS);
    Say(L"1. The installer window is open: " + Text(window));
    Say(L"   Buttons: \"" + Text(installer.Control(IDC_BTN_WIFI)) + L"\", \"" +
        Text(installer.Control(IDC_BTN_BLUETOOTH)) + L"\"");
    Screenshot(L"1-window");

    Say(L"2. Clicking \"" + Text(installer.Control(IDC_BTN_WIFI)) + L"\" (the demo Wi-Fi setup runs for a moment)");
    installer.Click(IDC_BTN_WIFI);
    Say(L"   Status line: " + WaitStatus(status, L"", 20000));
    Screenshot(L"2-wifi-installed");

    Say(L"3. Clicking \"" + Text(installer.Control(IDC_BTN_BLUETOOTH)) + L"\": the driver package downloads");
    installer.Click(IDC_BTN_BLUETOOTH);
    for (int i = 0; i < 200 && !::IsWindowVisible(installer.Control(IDC_PROGRESS_BLUETOOTH)); ++i) ::Sleep(50);
    ::Sleep(600);
    Screenshot(L"3-bluetooth-downloading");
    HWND setup = screen::WaitForWindow(0, [](HWND hwnd) { return Text(hwnd) == L"Driver setup (demo)"; }, 60000);
    if (setup) {
        Say(L"4. The package was unpacked by 7-Zip and its Setup.exe started elevated; it says:");
        std::wstring said = Text(::GetDlgItem(setup, 0xFFFF));  // the message box's text
        for (auto& c : said) if (c == L'\n') c = L' ';
        Say(L"   " + said);
        Screenshot(L"4-driver-setup");
        ::PostMessageW(setup, WM_COMMAND, IDOK, 0);
    } else {
        Say(L"4. The package's setup program did not appear; status line: " + Text(status));
    }

    Say(L"5. The service goes away, and the Bluetooth command is tried again");
    DropTheService(script);
    installer.Click(IDC_BTN_BLUETOOTH);
    HWND message = installer.WaitMessage();
    if (message) {
        Say(L"   The message reads: " + Text(::GetDlgItem(message, IDC_NO_CONNECTION_TEXT)));
        Screenshot(L"5-no-connection");
        ::PostMessageW(::GetDlgItem(message, IDOK), BM_CLICK, 0, 0);
    }

    Say(L"6. Closing the installer");
    const bool ended = installer.Close();
    Say(ended ? L"   The installer has ended." : L"   The installer did not end.");
    return ended && setup && message ? 0 : 1;
}

int Sheet(const wchar_t* exe, const wchar_t* script, const std::wstring& name) {
    DropTheService(script);
    CInstallerRun installer(exe);
    if (!installer.Window()) { Say(name + L": the installer window did not appear"); return 1; }
    installer.Click(IDC_BTN_WIFI);
    const std::wstring status = WaitStatus(installer.Control(IDC_STATUS), L"", 20000);
    WindowShot(installer.Window(), name + L"-window");
    installer.Click(IDC_BTN_BLUETOOTH);
    HWND message = installer.WaitMessage();
    if (message) {
        WindowShot(message, name + L"-message");
        ::PostMessageW(::GetDlgItem(message, IDOK), BM_CLICK, 0, 0);
    }
    Say(name + L": " + status);
    return installer.Close() && message && !status.empty() ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool sheet = argc == 6 && std::wcscmp(argv[1], L"--sheet") == 0;
    if (!sheet && argc != 4) return 2;
    g_shots = argv[sheet ? 3 : 2];
    ::CreateDirectoryW(g_shots.c_str(), nullptr);
    return sheet ? Sheet(argv[2], argv[4], argv[5]) : Tour(argv[1], argv[3]);
}
