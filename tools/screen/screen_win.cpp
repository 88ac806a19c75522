#include "screen_win.h"

#include <vector>

#include "build_settings.h"
#include "framework/gdi.h"
#include "sys/handle_win.h"

namespace screen {

bool InFront(HWND front, HWND back) {
    for (HWND below = ::GetWindow(front, GW_HWNDNEXT); below; below = ::GetWindow(below, GW_HWNDNEXT))
        if (below == back) return true;
    return false;
}

std::wstring InstallerTitle() {
    const std::string version = build::kVersion;
    return L"USB Bluetooth Wireless Adapter (" + std::wstring(version.begin(), version.end()) + L")";
}

std::wstring WindowText(HWND hwnd) {
    wchar_t text[512] = {};
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &ignored);
    return text;
}

namespace {
struct CSearch {
    DWORD pid;
    const std::function<bool(HWND)>& match;
    HWND found;
};

BOOL CALLBACK Visit(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<CSearch*>(lp);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if ((search->pid != 0 && owner != search->pid) || !::IsWindowVisible(hwnd) || !search->match(hwnd)) return TRUE;
    search->found = hwnd;
    return FALSE;
}
}  // namespace

HWND WaitForWindow(DWORD pid, const std::function<bool(HWND)>& match, DWORD waitMs) {
    for (DWORD waited = 0;; waited += 50) {
        CSearch search{pid, match, nullptr};
        ::EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
        if (search.found || waited >= waitMs) return search.found;
        ::Sleep(50);
    }
}

bool SaveBmp(HDC source, const RECT& area, const std::wstring& path) {
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0) return false;
    fw::CMemoryDC memory(::CreateCompatibleDC(source));
    fw::CBitmap bitmap(::CreateCompatibleBitmap(source, w, h));
    {
        fw::CSelectObject select(memory.Get(), bitmap.Get());
        ::BitBlt(memory.Get(), 0, 0, w, h, source, area.left, area.top, SRCCOPY);
    }
    BITMAPINFOHEADER header = {sizeof header, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const DWORD stride = ((static_cast<DWORD>(w) * 3 + 3) / 4) * 4;
    std::vector<BYTE> pixels(static_cast<std::size_t>(stride) * static_cast<DWORD>(h));
    if (::GetDIBits(memory.Get(), bitmap.Get(), 0, static_cast<UINT>(h), pixels.data(),
                    reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS) != h)
        return false;

    sys::CFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof header;
    BITMAPFILEHEADER fileHeader = {0x4D42, static_cast<DWORD>(offset + pixels.size()), 0, 0, offset};
    DWORD written = 0;
    return file.Valid() && ::WriteFile(file.Get(), &fileHeader, sizeof fileHeader, &written, nullptr) &&
           ::WriteFile(file.Get(), &header, sizeof header, &written, nullptr) &&
           ::WriteFile(file.Get(), pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
}

bool SaveScreenBmp(const std::wstring& path) {
    fw::CClientDC screen(nullptr);
    return SaveBmp(screen.Get(), {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}, path);
}

bool SaveWindowBmp(HWND window, const std::wstring& path) {
    RECT area = {};
    ::GetClientRect(window, &area);
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
    fw::CClientDC screen(nullptr);
    return SaveBmp(screen.Get(), area, path);
}

}  // namespace screen
