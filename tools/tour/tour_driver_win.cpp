// The headless demo tour: starts Installer.exe, uses it as a person would
// and saves a picture of the screen at each step. Usage:
//   tour_driver <Installer.exe> <folder for screenshots> <service script.json>
//   tour_driver --sheet <Installer.exe> <folder> <service script.json> <name> <slow script.json>
// The second form takes only the pictures for a contact sheet of the UI
// languages: <name>-window.bmp (after the Wi-Fi install, its status text
// shown), <name>-downloading.bmp and <name>-cancelled.bmp (a slow package,
// then its cancel) and <name>-message.bmp (the no-connection message).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <string>

#include "installer_process_win.h"
#include "res/resource.h"
#include "screen_win.h"

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

void Serve(const wchar_t* script, const std::string& rules) {
    std::ofstream(script) << rules;
    ::Sleep(1500);  // the service reads its script again
}

void DropTheService(const wchar_t* script) { Serve(script, R"({"/api/rx/RealtekDrivers": {"drop": true}})"); }

std::string ReadAll(const wchar_t* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int Tour(const wchar_t* exe, const wchar_t* script) {
    test::CInstallerProcess installer(exe);
    HWND window = installer.Window();
    if (!window) { Say(L"the installer window did not appear"); return 1; }
    HWND status = installer.Control(IDC_STATUS);
    Say(L"1. The installer window is open: " + Text(window));
    Say(L"   Buttons: \"" + Text(installer.Control(IDC_BTN_WIFI)) + L"\", \"" +
        Text(installer.Control(IDC_BTN_BLUETOOTH)) + L"\"");
    // The window looks at the adapter once it stands: plugged in, no driver yet.
    for (int i = 0; i < 40 && Text(installer.Control(IDC_DEVICE)).empty() && !installer.Visible(IDC_DEVICE); ++i) ::Sleep(50);
    Say(L"   The adapter: " + (installer.Visible(IDC_DEVICE) ? Text(installer.Control(IDC_DEVICE))
                                                             : std::wstring(L"plugged in, no driver shown")));
    Screenshot(L"1-window");

    Say(L"2. Clicking \"" + Text(installer.Control(IDC_BTN_WIFI)) + L"\" (the demo Wi-Fi setup runs for a moment)");
    installer.Click(IDC_BTN_WIFI);
    Say(L"   Status line: " + installer.WaitStatusChange(L"", 20000));
    // The job looked at the adapter again: the demo setup bound the Wi-Fi driver.
    for (int i = 0; i < 100 && !installer.Visible(IDC_DEVICE); ++i) ::Sleep(50);
    std::wstring adapterLine = Text(installer.Control(IDC_DEVICE));
    for (auto& c : adapterLine) if (c == L'\n') c = L' ';
    Say(L"   The adapter: " + adapterLine);
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
    HWND message = installer.FindMessage(30000);
    if (message) {
        Say(L"   The message reads: " + Text(::GetDlgItem(message, IDC_NO_CONNECTION_TEXT)));
        Screenshot(L"5-no-connection");
        ::PostMessageW(::GetDlgItem(message, IDOK), BM_CLICK, 0, 0);
    }

    Say(L"6. Closing the installer");
    installer.CloseBox();
    const bool ended = installer.WaitExit(15000);
    Say(ended ? L"   The installer has ended." : L"   The installer did not end.");
    return ended && setup && message ? 0 : 1;
}

// The Bluetooth package downloading with its progress text, then cancelled.
void DownloadAndCancel(const test::CInstallerProcess& installer, const std::wstring& name) {
    installer.Click(IDC_BTN_BLUETOOTH);
    for (int i = 0; i < 200 && !installer.Visible(IDC_CANCEL_BLUETOOTH); ++i) ::Sleep(50);
    ::Sleep(2000);  // a rate to tell
    WindowShot(installer.Window(), name + L"-downloading");
    const std::wstring downloading = installer.StatusText();
    installer.Click(IDC_CANCEL_BLUETOOTH);
    for (int i = 0; i < 100 && installer.Visible(IDC_CANCEL_BLUETOOTH); ++i) ::Sleep(50);
    installer.WaitStatusChange(downloading, 2000);
    WindowShot(installer.Window(), name + L"-cancelled");
}

int Sheet(const wchar_t* exe, const wchar_t* script, const std::wstring& name, const wchar_t* slow) {
    Serve(script, ReadAll(slow));
    test::CInstallerProcess installer(exe);
    if (!installer.Window()) { Say(name + L": the installer window did not appear"); return 1; }
    installer.Click(IDC_BTN_WIFI);
    const std::wstring status = installer.WaitStatusChange(L"", 20000);
    WindowShot(installer.Window(), name + L"-window");
    DownloadAndCancel(installer, name);
    DropTheService(script);
    installer.Click(IDC_BTN_BLUETOOTH);
    HWND message = installer.FindMessage(30000);
    if (message) {
        WindowShot(message, name + L"-message");
        ::PostMessageW(::GetDlgItem(message, IDOK), BM_CLICK, 0, 0);
    }
    Say(name + L": " + status);
    installer.CloseBox();
    return installer.WaitExit(15000) && message && !status.empty() ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool sheet = argc == 7 && std::wcscmp(argv[1], L"--sheet") == 0;
    if (!sheet && argc != 4) return 2;
    g_shots = argv[sheet ? 3 : 2];
    ::CreateDirectoryW(g_shots.c_str(), nullptr);
    return sheet ? Sheet(argv[2], argv[4], argv[5], argv[6]) : Tour(argv[1], argv[3]);
}
