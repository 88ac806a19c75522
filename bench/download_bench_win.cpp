// Downloads one large file in one of four ways and reports the throughput
// and how much the process's memory grew:
//   floor    a bare WinINet read loop with a 1 MiB buffer, the platform's floor
//   floor-window  the same loop while the process has the real window open,
//            the floor for a download in the window (Wine slows a process
//            with a window open)
//   download DownloadFile, as the workflows call it
//   window   DownloadFile on a job thread moving the real window's bar
#include <windows.h>
#include <psapi.h>
#include <wininet.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "net/http.h"
#include "sys/handle_win.h"
#include "window_driver_win.h"

namespace {

double Now() {
    LARGE_INTEGER frequency, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency.QuadPart;
}

SIZE_T PagefileBytes(bool peak) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return peak ? counters.PeakPagefileUsage : counters.PagefileUsage;
}

struct CInternetTraits {
    static HINTERNET Invalid() { return nullptr; }
    static void Close(HINTERNET h) { ::InternetCloseHandle(h); }
};
using CInternet = sys::CUniqueHandle<CInternetTraits, HINTERNET>;

bool BareLoop(const std::wstring& url, const std::wstring& path) {
    CInternet session(::InternetOpenW(L"bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    CInternet request(::InternetOpenUrlW(session.Get(), url.c_str(), nullptr, 0,
                                         INTERNET_FLAG_SECURE | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    sys::CFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!request.Valid() || !file.Valid()) return false;
    std::vector<char> buffer(1 << 20);
    DWORD got = 0, written = 0;
    while (::InternetReadFile(request.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got) && got > 0)
        if (!::WriteFile(file.Get(), buffer.data(), got, &written, nullptr)) return false;
    return got == 0;
}

bool BareLoopInWindow(const std::wstring& url, const std::wstring& path, double& start) {
    test::CWindowDriver window;
    start = Now();
    return BareLoop(url, path);
}

// The window is made before the clock starts: only the download is timed.
bool InWindow(const std::wstring& url, const std::wstring& path, double& start) {
    test::CWindowDriver window;
    IJobWindow& bars = window.Dialog();
    bool ok = false;
    start = Now();
    // As a job does it: the bar, the status text and the taskbar moved by the window's thread.
    std::thread job([&] {
        bars.Report({JobId::Bluetooth, JobPhase::Downloading, {}});
        ok = DownloadFile(url, path, [&](const TransferProgress& progress) {
                 bars.Report({JobId::Bluetooth, JobPhase::Downloading, progress});
             }) == NetResult::Ok;
        bars.Report({JobId::Bluetooth, JobPhase::Ended, {}});
    });
    job.join();
    return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fputs("usage: download_bench floor|floor-window|download|window <url> <local path>\n", stderr);
        return 2;
    }
    const std::wstring mode = argv[1], url = argv[2], path = argv[3];
    const SIZE_T before = PagefileBytes(false);
    double start = Now();
    bool ok = false;
    if (mode == L"floor") ok = BareLoop(url, path);
    else if (mode == L"floor-window") ok = BareLoopInWindow(url, path, start);
    else if (mode == L"download") ok = DownloadFile(url, path, [](const TransferProgress&) {}) == NetResult::Ok;
    else if (mode == L"window") ok = InWindow(url, path, start);
    // DownloadFile holds the full bar for half a second at the end; that is
    // for the user, not the transfer.
    const bool bare = mode == L"floor" || mode == L"floor-window";
    const double seconds = Now() - start - (bare ? 0.0 : 0.5);
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    const double bytes =
        static_cast<double>((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    std::printf("%ls: ok=%d bytes=%.0f seconds=%.3f mib_per_s=%.1f peak_growth_mib=%.2f\n", mode.c_str(), ok ? 1 : 0,
                bytes, seconds, bytes / seconds / 1048576.0,
                (static_cast<double>(PagefileBytes(true)) - static_cast<double>(before)) / 1048576.0);
    return ok ? 0 : 1;
}
