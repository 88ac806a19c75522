#include "install/system_win.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "i18n/translation.h"
#include "log/run_log.h"
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
        if (!actual.empty() && actual == expected) {
            sys::Log(L"sha256 of " + m_path + L" matches the service's");
            return true;
        }
        reason = "sha256 " + (actual.empty() ? std::string("could not be computed") : actual) +
                 ", the service named " + expectedHex;
        return false;
    }
    bool SignedBy(const std::wstring& signer, std::string& reason) override {
        std::wstring name;
        if (!sys::ReadSignerName(m_file.Get(), m_path, name, reason)) return false;
        if (name == signer) {
            sys::Log(L"signature of " + m_path + L" is valid, signer " + name);
            return true;
        }
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
    sys::Log(L"running " + quoted);
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE,
                          nullptr, FolderOf(program).c_str(), &startup, &info)) {
        sys::Log(L"could not start it: error " + std::to_wstring(::GetLastError()));
        return outcome;
    }
    const sys::CProcessHandles started(info);
    const HANDLE process = started.process.Get();
    outcome.started = true;
    if (::WaitForSingleObject(process, timeoutMs ? timeoutMs : INFINITE) == WAIT_TIMEOUT) {
        ::TerminateProcess(process, ERROR_TIMEOUT);
        ::WaitForSingleObject(process, 5000);
        outcome.timedOut = true;
        sys::Log(L"it ran longer than " + std::to_wstring(timeoutMs) + L" ms and was ended");
        return outcome;
    }
    DWORD code = 0;
    outcome.exitCodeRead = ::GetExitCodeProcess(process, &code) != FALSE && code != STILL_ACTIVE;
    outcome.exitCode = code;
    sys::Log(L"it ended with exit code " + std::to_wstring(code));
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

namespace {
// Starts the file through the shell with elevation; with wait, waits for it
// and reads its exit code.
ProcessOutcome ShellStartElevated(const IHeldFile& file, bool wait) {
    // The shell may use COM on this thread; it asks for an apartment.
    sys::CComInit com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const std::wstring folder = FolderOf(file.Path());
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI | (wait ? SEE_MASK_NOCLOSEPROCESS : 0);
    info.lpVerb = L"runas";
    info.lpFile = file.Path().c_str();
    info.lpDirectory = folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    ProcessOutcome outcome;
    if (!::ShellExecuteExW(&info)) {
        const DWORD error = ::GetLastError();
        outcome.declined = error == ERROR_CANCELLED;
        sys::Log(L"could not start " + file.Path() + L" elevated: error " + std::to_wstring(error));
        return outcome;
    }
    outcome.started = true;
    sys::Log(L"started elevated: \"" + file.Path() + L"\"");
    const sys::CKernelHandle process(info.hProcess);
    if (!wait || !process.Valid()) return outcome;
    ::WaitForSingleObject(process.Get(), INFINITE);
    DWORD code = 0;
    outcome.exitCodeRead = ::GetExitCodeProcess(process.Get(), &code) != FALSE;
    outcome.exitCode = code;
    sys::Log(L"\"" + file.Path() + L"\" ended with exit code " + std::to_wstring(code));
    return outcome;
}
}  // namespace

bool CWindowsJobSystem::StartElevated(const IHeldFile& file) { return ShellStartElevated(file, false).started; }

ProcessOutcome CWindowsJobSystem::RunElevatedAndWait(const IHeldFile& file) { return ShellStartElevated(file, true); }

std::wstring CWindowsJobSystem::ToWide(const std::string& ansi) { return AnsiToWide(ansi); }
void CWindowsJobSystem::Trace(const std::string& text) { sys::DebugOutput(text.c_str()); }
void CWindowsJobSystem::Trace(const std::wstring& text) { sys::DebugOutput(text.c_str()); }
