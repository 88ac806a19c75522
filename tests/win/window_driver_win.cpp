#include "window_driver_win.h"

#include <filesystem>
#include <fstream>
#include <vector>

#include "framework/gdi.h"
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

std::wstring CWindowDriver::Text(HWND hwnd) const {
    wchar_t text[512] = {};
    ::SendMessageW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

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
    RECT client = {};
    ::GetClientRect(m_hwnd, &client);
    const int w = client.right, h = client.bottom;
    fw::CClientDC dc(m_hwnd);
    fw::CMemoryDC memory(::CreateCompatibleDC(dc.Get()));
    fw::CBitmap bitmap(::CreateCompatibleBitmap(dc.Get(), w, h));
    BITMAPINFOHEADER header = {sizeof header, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const DWORD stride = ((w * 3 + 3) / 4) * 4;
    std::vector<BYTE> pixels(stride * h);
    {
        fw::CSelectObject select(memory.Get(), bitmap.Get());
        ::BitBlt(memory.Get(), 0, 0, w, h, dc.Get(), 0, 0, SRCCOPY);
    }
    ::GetDIBits(memory.Get(), bitmap.Get(), 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
                DIB_RGB_COLORS);
    const std::wstring dir = HostPath(INSTALLER_SCREENSHOT_DIR);
    ::CreateDirectoryW(dir.c_str(), nullptr);
    sys::CFileHandle file(::CreateFileW((dir + L"\\" + name + L".bmp").c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    BITMAPFILEHEADER fileHeader = {0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof header + pixels.size()),
                                   0, 0, sizeof(BITMAPFILEHEADER) + sizeof header};
    DWORD written = 0;
    ::WriteFile(file.Get(), &fileHeader, sizeof fileHeader, &written, nullptr);
    ::WriteFile(file.Get(), &header, sizeof header, &written, nullptr);
    ::WriteFile(file.Get(), pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
}

namespace {
std::wstring DataFile(const wchar_t* name) { return ProgramFolder() + L"data\\" + name; }
std::vector<std::string> LogLines() {
    std::ifstream log(std::filesystem::path(DataFile(L"WifiAutoInstallSetup.log")));
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    return lines;
}
}  // namespace

CWifiStandIn::CWifiStandIn(unsigned long exitCode, unsigned long runMs) {
    ::CopyFileW((ProgramFolder() + L"wifi_setup_standin.exe").c_str(), DataFile(L"WifiAutoInstallSetup.exe").c_str(),
                FALSE);
    ::DeleteFileW(DataFile(L"WifiAutoInstallSetup.log").c_str());
    std::ofstream(std::filesystem::path(DataFile(L"WifiAutoInstallSetup.cfg"))) << exitCode << " " << runMs;
}

void CWifiStandIn::Remove() {
    for (const wchar_t* name : {L"WifiAutoInstallSetup.exe", L"WifiAutoInstallSetup.cfg", L"WifiAutoInstallSetup.log"})
        ::DeleteFileW(DataFile(name).c_str());
}

int CWifiStandIn::Runs() { return static_cast<int>(LogLines().size()); }

bool WaitIdle(const std::atomic<bool>& flag, DWORD ms) {
    ::Sleep(300);  // past the job's start pause
    for (DWORD waited = 0; waited < ms; waited += 20) {
        if (!flag.load()) return true;
        ::Sleep(20);
    }
    return !flag.load();
}

}  // namespace test
