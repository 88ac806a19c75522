// The headless demo tour: starts Installer.exe, uses it as a person would
// and saves a picture of the screen at each step. Usage:
//   tour_driver <Installer.exe> <folder for screenshots> <service script.json>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

const wchar_t kTitle[] = L"USB Bluetooth Wireless Adapter (1.2.0.15)";
std::wstring g_shots;
DWORD g_pid = 0;

void Say(const std::wstring& text) {  // UTF-8: the texts may be in any language
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), size, nullptr, nullptr);
    std::printf("%s\n", utf8.c_str());
    std::fflush(stdout);
}

std::wstring Text(HWND hwnd) {
    wchar_t text[512] = {};
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &ignored);
    return text;
}

// The whole screen as a 24-bit BMP.
void Screenshot(const std::wstring& name) {
    ::Sleep(400);  // let the windows finish painting
    const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    ::SelectObject(memory, old);
    BITMAPINFOHEADER header = {sizeof header, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const DWORD stride = ((w * 3 + 3) / 4) * 4;
    std::vector<BYTE> pixels(stride * h);
    ::GetDIBits(memory, bitmap, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    const std::wstring path = g_shots + L"\\" + name + L".bmp";
    std::ofstream out(path.c_str(), std::ios::binary);
    BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof header + pixels.size()),
                             0, 0, sizeof(BITMAPFILEHEADER) + sizeof header};
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    Say(L"  [screenshot " + name + L"]");
}

HWND FindWindowOf(DWORD pid, bool (*match)(HWND), DWORD waitMs) {
    struct Search { DWORD pid; bool (*match)(HWND); HWND found; };
    for (DWORD waited = 0;; waited += 100) {
        Search search{pid, match, nullptr};
        ::EnumWindows([](HWND hwnd, LPARAM lp) {
            auto* s = reinterpret_cast<Search*>(lp);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            if ((s->pid == 0 || owner == s->pid) && ::IsWindowVisible(hwnd) && s->match(hwnd)) {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        }, reinterpret_cast<LPARAM>(&search));
        if (search.found || waited >= waitMs) return search.found;
        ::Sleep(100);
    }
}

bool IsInstaller(HWND hwnd) { return Text(hwnd) == kTitle; }
bool IsMessage(HWND hwnd) { return ::GetDlgItem(hwnd, 1010) != nullptr; }
bool IsDemoSetup(HWND hwnd) { return Text(hwnd) == L"Driver setup (demo)"; }

std::wstring WaitStatus(HWND status, const std::wstring& before, DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 100) {
        if (Text(status) != before) break;
        ::Sleep(100);
    }
    return Text(status);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) return 2;
    g_shots = argv[2];
    ::CreateDirectoryW(g_shots.c_str(), nullptr);

    std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        Say(L"Installer.exe could not be started");
        return 1;
    }
    g_pid = info.dwProcessId;
    HWND window = FindWindowOf(g_pid, IsInstaller, 30000);
    if (!window) { Say(L"the installer window did not appear"); return 1; }
    HWND status = ::GetDlgItem(window, 1004);
    Say(L"1. The installer window is open: " + Text(window));
    Say(L"   Buttons: \"" + Text(::GetDlgItem(window, 1000)) + L"\", \"" + Text(::GetDlgItem(window, 1001)) + L"\"");
    Screenshot(L"1-window");

    Say(L"2. Clicking \"" + Text(::GetDlgItem(window, 1000)) + L"\" (the demo Wi-Fi setup runs for a moment)");
    ::PostMessageW(::GetDlgItem(window, 1000), BM_CLICK, 0, 0);
    Say(L"   Status line: " + WaitStatus(status, L"", 20000));
    Screenshot(L"2-wifi-installed");

    Say(L"3. Clicking \"" + Text(::GetDlgItem(window, 1001)) + L"\": the driver package downloads");
    ::PostMessageW(::GetDlgItem(window, 1001), BM_CLICK, 0, 0);
    for (int i = 0; i < 200 && !::IsWindowVisible(::GetDlgItem(window, 1003)); ++i) ::Sleep(50);
    ::Sleep(600);
    Screenshot(L"3-bluetooth-downloading");
    HWND setup = FindWindowOf(0, IsDemoSetup, 60000);
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
    std::ofstream(argv[3]) << R"({"/api/rx/RealtekDrivers": {"drop": true}})";
    ::Sleep(1500);
    ::PostMessageW(::GetDlgItem(window, 1001), BM_CLICK, 0, 0);
    HWND message = FindWindowOf(g_pid, IsMessage, 30000);
    if (message) {
        Say(L"   The message reads: " + Text(::GetDlgItem(message, 1010)));
        Screenshot(L"5-no-connection");
        ::PostMessageW(::GetDlgItem(message, IDOK), BM_CLICK, 0, 0);
    }

    Say(L"6. Closing the installer");
    ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    const bool ended = ::WaitForSingleObject(info.hProcess, 15000) == WAIT_OBJECT_0;
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    Say(ended ? L"   The installer has ended." : L"   The installer did not end.");
    return ended && setup && message ? 0 : 1;
}
