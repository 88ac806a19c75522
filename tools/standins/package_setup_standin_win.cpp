// Stands in for a package's installer (the Bluetooth Setup.exe, the receiver
// and hotspot installers): appends where it was started from, with what
// command line and which TEMP to the file named by INSTALLER_STANDIN_LOG, and keeps running
// for INSTALLER_STANDIN_RUN_MS milliseconds. With INSTALLER_STANDIN_SHOW set
// it also says in a small window what a real driver setup would do now (the demo).
// It exits with INSTALLER_STANDIN_EXIT, 0 when that is not set. With
// INSTALLER_STANDIN_SILENT_SWITCH set, it acts like a real driver setup: unless
// its command line holds that switch it waits for a click that never comes.
// With INSTALLER_STANDIN_CHILD_MS set it hands over, as setups that unpack
// and restart themselves do: it starts a copy of itself (command line
// "... /child") that runs that long, then logs "ended|<its id>", and exits at once.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

namespace {

void AppendToLog(const wchar_t* format, const wchar_t* a, const wchar_t* b, const wchar_t* c) {
    if (const wchar_t* logPath = _wgetenv(L"INSTALLER_STANDIN_LOG")) {
        if (FILE* log = _wfopen(logPath, L"a")) {
            std::fwprintf(log, format, a, b, c);
            std::fclose(log);
        }
    }
}

void HandOver(const wchar_t* self, const wchar_t* childMs) {
    ::SetEnvironmentVariableW(L"INSTALLER_STANDIN_RUN_MS", childMs);
    ::SetEnvironmentVariableW(L"INSTALLER_STANDIN_CHILD_MS", nullptr);
    ::SetEnvironmentVariableW(L"INSTALLER_STANDIN_SILENT_SWITCH", nullptr);  // it was given to the parent
    wchar_t commandLine[MAX_PATH + 16] = {};
    std::swprintf(commandLine, MAX_PATH + 16, L"\"%ls\" /child", self);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (::CreateProcessW(self, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const wchar_t* temp = _wgetenv(L"TEMP");
    AppendToLog(L"%ls|%ls|%ls\n", self, ::GetCommandLineW(), temp ? temp : L"");
    const wchar_t* exitCode = _wgetenv(L"INSTALLER_STANDIN_EXIT");
    if (const wchar_t* childMs = _wgetenv(L"INSTALLER_STANDIN_CHILD_MS")) {
        HandOver(self, childMs);
        return exitCode ? _wtoi(exitCode) : 0;
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
    if (std::wcsstr(::GetCommandLineW(), L" /child")) {
        wchar_t id[16] = {};
        std::swprintf(id, 16, L"%lu", ::GetCurrentProcessId());
        AppendToLog(L"ended|%ls%ls%ls\n", id, L"", L"");
    }
    return exitCode ? _wtoi(exitCode) : 0;
}
