#include "install/system_win.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "i18n/translation.h"
#include "net/http.h"
#include "sys/com_win.h"
#include "sys/file_checks_win.h"
#include "sys/handle_win.h"
#include "sys/paths.h"
#include "sys/platform.h"
#include "sys/os_version.h"
#include "sys/text.h"

namespace {

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

// Opened for reading only and shared for reading only: until it is closed,
// nobody can write, rename or delete the file. Links are not followed.
class CHeldFile : public IHeldFile {
public:
    explicit CHeldFile(const std::wstring& path)
        : m_path(path),
          m_file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {}
    bool IsPlainFile() const {
        BY_HANDLE_FILE_INFORMATION info = {};
        return m_file.Valid() && ::GetFileInformationByHandle(m_file.Get(), &info) &&
               !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
    }
    const std::wstring& Path() const override { return m_path; }
    bool HasSha256(const std::string& expectedHex, std::string& reason) override {
        const std::string actual = sys::FileSha256(m_file.Get());
        std::string expected = expectedHex;
        for (char& c : expected) c = static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
        if (!actual.empty() && actual == expected) return true;
        reason = "sha256 " + (actual.empty() ? std::string("could not be computed") : actual) +
                 ", the service named " + expectedHex;
        return false;
    }
    bool SignedBy(const std::wstring& signer, std::string& reason) override {
        std::wstring name;
        if (!sys::ReadSignerName(m_file.Get(), m_path, name, reason)) return false;
        if (name == signer) return true;
        reason = "signed by " + WideToAnsi(name) + ", not by " + WideToAnsi(signer);
        return false;
    }

private:
    std::wstring m_path;
    sys::CFileHandle m_file;
};

}  // namespace

void CWindowsJobSystem::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

std::wstring CWindowsJobSystem::AppPath(const std::wstring& relative) {
    return CTranslation::MakeAppPath(relative);
}

ProcessOutcome CWindowsJobSystem::RunAndWait(const std::wstring& program, const std::wstring& arguments,
                                             unsigned long timeoutMs) {
    ProcessOutcome outcome;
    // The path is both the application name and, quoted, the command line: a
    // folder with spaces works and no other program can stand in for it.
    std::wstring quoted = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    std::vector<wchar_t> commandLine(quoted.begin(), quoted.end());
    commandLine.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE,
                          nullptr, FolderOf(program).c_str(), &startup, &info))
        return outcome;
    const sys::CProcessHandles started(info);
    const HANDLE process = started.process.Get();
    outcome.started = true;
    if (::WaitForSingleObject(process, timeoutMs ? timeoutMs : INFINITE) == WAIT_TIMEOUT) {
        ::TerminateProcess(process, ERROR_TIMEOUT);
        ::WaitForSingleObject(process, 5000);
        outcome.timedOut = true;
        return outcome;
    }
    DWORD code = 0;
    outcome.exitCodeRead = ::GetExitCodeProcess(process, &code) != FALSE && code != STILL_ACTIVE;
    outcome.exitCode = code;
    return outcome;
}

OsVersionClass CWindowsJobSystem::QueryOsClass() { return QueryOsVersion(); }

NetResult CWindowsJobSystem::HttpGetJson(const std::string& url, std::string& body) {
    return ::HttpGetJson(AnsiToWide(url), body);
}

NetResult CWindowsJobSystem::DownloadFile(const std::string& url, const std::wstring& path,
                                          const std::function<void(int)>& progress) {
    return ::DownloadFile(AnsiToWide(url), path, progress);
}

std::wstring CWindowsJobSystem::CreateJobFolder() { return ::CreateJobFolder(); }
void CWindowsJobSystem::RemoveFolder(const std::wstring& folder) { RemoveTree(folder); }

std::wstring CWindowsJobSystem::FindFile(const std::wstring& pattern, const std::wstring& name, bool descend) {
    return FindFileRecursive(pattern, name, descend);
}

std::unique_ptr<IHeldFile> CWindowsJobSystem::HoldFile(const std::wstring& path) {
    auto file = std::make_unique<CHeldFile>(path);
    if (file->IsPlainFile()) return file;
    Trace(L"cannot hold " + path);
    return nullptr;
}

bool CWindowsJobSystem::StartElevated(const IHeldFile& file) {
    // The shell may use COM on this thread; it asks for an apartment.
    sys::CComInit com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const std::wstring folder = FolderOf(file.Path());
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"runas";
    info.lpFile = file.Path().c_str();
    info.lpDirectory = folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    return ::ShellExecuteExW(&info) != FALSE;
}

std::wstring CWindowsJobSystem::ToWide(const std::string& ansi) { return AnsiToWide(ansi); }
void CWindowsJobSystem::Trace(const std::string& text) { sys::DebugOutput(text.c_str()); }
void CWindowsJobSystem::Trace(const std::wstring& text) { sys::DebugOutput(text.c_str()); }
