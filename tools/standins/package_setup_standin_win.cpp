// Stands in for a package's installer (the Bluetooth Setup.exe, the receiver
// and hotspot installers): appends where it was started from, with what
// command line and which TEMP to the file named by INSTALLER_STANDIN_LOG, and keeps running
// for INSTALLER_STANDIN_RUN_MS milliseconds. With INSTALLER_STANDIN_SHOW set
// it also says in a small window what a real driver setup would do now (the demo).
// It exits with INSTALLER_STANDIN_EXIT, 0 when that is not set. With
// INSTALLER_STANDIN_SILENT_SWITCH set, it acts like a real driver setup: unless
// its command line holds that switch it waits for a click that never comes.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (const wchar_t* logPath = _wgetenv(L"INSTALLER_STANDIN_LOG")) {
        if (FILE* log = _wfopen(logPath, L"a")) {
            const wchar_t* temp = _wgetenv(L"TEMP");
            std::fwprintf(log, L"%ls|%ls|%ls\n", self, ::GetCommandLineW(), temp ? temp : L"");
            std::fclose(log);
        }
    }
    if (const wchar_t* silent = _wgetenv(L"INSTALLER_STANDIN_SILENT_SWITCH"))
        if (!std::wcsstr(::GetCommandLineW(), silent)) ::Sleep(INFINITE);
    if (const wchar_t* runMs = _wgetenv(L"INSTALLER_STANDIN_RUN_MS")) ::Sleep(static_cast<DWORD>(_wtoi(runMs)));
    if (_wgetenv(L"INSTALLER_STANDIN_SHOW")) {
        wchar_t text[MAX_PATH + 200] = {};
        std::swprintf(text, MAX_PATH + 200,
                      L"This is the demo package's setup program:\n%ls\n\nA real driver setup would "
                      L"now install the driver and ask you to replug the adapter.", self);
        ::MessageBoxW(nullptr, text, L"Driver setup (demo)", MB_OK | MB_ICONINFORMATION);
    }
    const wchar_t* exitCode = _wgetenv(L"INSTALLER_STANDIN_EXIT");
    return exitCode ? _wtoi(exitCode) : 0;
}
