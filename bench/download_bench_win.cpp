// Downloads one large file from the local device service with DownloadFile
// and reports the throughput and how much the process's memory grew.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

#include "net/http.h"

namespace {
SIZE_T PrivateBytes(bool peak) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return peak ? counters.PeakPagefileUsage : counters.PagefileUsage;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fputs("usage: download_bench <url> <local path>\n", stderr);
        return 2;
    }
    const SIZE_T before = PrivateBytes(false);
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    int updates = 0;
    const bool ok = DownloadFile(argv[1], argv[2], [&updates](int) { ++updates; }) == NetResult::Ok;
    ::QueryPerformanceCounter(&end);
    // DownloadFile holds the full bar for half a second at the end; that is
    // for the user, not the transfer.
    const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart - 0.5;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ::GetFileAttributesExW(argv[2], GetFileExInfoStandard, &data);
    const double bytes = static_cast<double>((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    std::printf("ok=%d bytes=%.0f seconds=%.3f mib_per_s=%.1f peak_growth_kib=%.0f progress_updates=%d\n", ok ? 1 : 0,
                bytes, seconds, bytes / seconds / 1048576.0,
                (static_cast<double>(PrivateBytes(true)) - static_cast<double>(before)) / 1024.0, updates);
    return ok ? 0 : 1;
}
