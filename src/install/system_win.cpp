#include "install/system_win.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "i18n/translation.h"
#include "net/http.h"
#include "sys/handle_win.h"
#include "sys/paths.h"
#include "sys/platform.h"
#include "sys/os_version.h"
#include "sys/text.h"

void CWindowsJobSystem::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

std::wstring CWindowsJobSystem::AppPath(const std::wstring& relative) {
    return CTranslation::MakeAppPath(relative);
}

ProcessOutcome CWindowsJobSystem::RunAndWait(const std::wstring& program, const std::wstring& arguments) {
    ProcessOutcome outcome;
    // The path is both the application name and, quoted, the command line: a
    // folder with spaces works and no other program can stand in for it.
    std::wstring quoted = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
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

OsVersionClass CWindowsJobSystem::QueryOsClass() { return QueryOsVersion(); }

bool CWindowsJobSystem::HttpGetJson(const std::string& url, std::string& body) {
    return ::HttpGetJson(AnsiToWide(url), body);
}

bool CWindowsJobSystem::DownloadFile(const std::string& url, const std::wstring& path,
                                     const std::function<void(int)>& progress) {
    return ::DownloadFile(AnsiToWide(url), path, progress);
}

std::wstring CWindowsJobSystem::WorkFolder(const std::wstring& sub) { return GetWorkFolder(sub); }

std::wstring CWindowsJobSystem::FindFile(const std::wstring& pattern, const std::wstring& name, bool descend) {
    return FindFileRecursive(pattern, name, descend);
}

bool CWindowsJobSystem::FileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void CWindowsJobSystem::StartElevated(const std::wstring& path) {
    ::ShellExecuteW(nullptr, L"runas", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::wstring CWindowsJobSystem::ToWide(const std::string& ansi) { return AnsiToWide(ansi); }
void CWindowsJobSystem::Trace(const std::string& text) { sys::DebugOutput(text.c_str()); }
void CWindowsJobSystem::Trace(const std::wstring& text) { sys::DebugOutput(text.c_str()); }
