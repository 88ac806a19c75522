// Stands in for the Wi-Fi driver's setup program in tests and the demo.
// It reads <base>.cfg ("exit code", "milliseconds to run" and, as a real
// driver setup would, 1 to bind the test adapter's Wi-Fi driver) and appends
// one line per run to <base>.log, holding its command line. <base> is the
// environment's INSTALLER_WIFI_STANDIN, else its own path without ".exe":
// the installer runs a copy of it from a folder of its own, so the tests
// name where its files are. Like real setup programs it loads version.dll,
// which shows whether a DLL planted beside it is used.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "test_adapter_win.h"

namespace {
std::wstring BasePath() {
    if (const wchar_t* base = _wgetenv(L"INSTALLER_WIFI_STANDIN")) return base;
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring self(path);
    return self.substr(0, self.find_last_of(L'.'));
}
}  // namespace

int wmain() {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    DWORD ignored = 0;
    ::GetFileVersionInfoSizeW(self, &ignored);
    unsigned long exitCode = 0, runMs = 0, driver = 0;
    if (FILE* cfg = _wfopen((BasePath() + L".cfg").c_str(), L"r")) {
        if (std::fscanf(cfg, "%lu %lu %lu", &exitCode, &runMs, &driver) < 1) exitCode = 0;
        std::fclose(cfg);
    }
    if (driver) adapter::InstallDriver(adapter::Function::Wifi);
    if (FILE* log = _wfopen((BasePath() + L".log").c_str(), L"a")) {
        std::fwprintf(log, L"%ls\n", ::GetCommandLineW());
        std::fclose(log);
    }
    ::Sleep(runMs);
    return static_cast<int>(exitCode);
}
