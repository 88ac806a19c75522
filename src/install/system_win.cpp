#include "install/system_win.h"

#include <windows.h>

#include <vector>

#include "i18n/translation.h"
#include "sys/handle_win.h"

void CWindowsJobSystem::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

std::wstring CWindowsJobSystem::AppPath(const std::wstring& relative) {
    return CTranslation::MakeAppPath(relative);
}

ProcessOutcome CWindowsJobSystem::RunAndWait(const std::wstring& program) {
    ProcessOutcome outcome;
    // The path is both the application name and, quoted, the command line: a
    // folder with spaces works and no other program can stand in for it.
    std::wstring quoted = L"\"" + program + L"\"";
    std::vector<wchar_t> commandLine(quoted.begin(), quoted.end());
    commandLine.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                          CREATE_NEW_CONSOLE, nullptr, nullptr, &startup, &info))
        return outcome;
    sys::CKernelHandle process(info.hProcess), thread(info.hThread);
    outcome.started = true;
    ::WaitForSingleObject(process.Get(), INFINITE);
    DWORD code = 0;
    outcome.exitCodeRead = ::GetExitCodeProcess(process.Get(), &code) != FALSE && code != STILL_ACTIVE;
    outcome.exitCode = code;
    return outcome;
}
