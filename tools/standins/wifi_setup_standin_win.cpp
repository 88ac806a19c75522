// Stands in for the Wi-Fi driver's setup program in tests and the demo.
// Beside itself it reads <name>.cfg ("exit code" and "milliseconds to run")
// and appends one line per run to <name>.log, holding its command line.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {
std::wstring SiblingPath(const wchar_t* extension) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring result(path);
    return result.substr(0, result.find_last_of(L'.')) + extension;
}
}  // namespace

int wmain() {
    unsigned long exitCode = 0, runMs = 0;
    if (FILE* cfg = _wfopen(SiblingPath(L".cfg").c_str(), L"r")) {
        if (std::fscanf(cfg, "%lu %lu", &exitCode, &runMs) < 1) exitCode = 0;
        std::fclose(cfg);
    }
    if (FILE* log = _wfopen(SiblingPath(L".log").c_str(), L"a")) {
        std::fwprintf(log, L"%ls\n", ::GetCommandLineW());
        std::fclose(log);
    }
    ::Sleep(runMs);
    return static_cast<int>(exitCode);
}
