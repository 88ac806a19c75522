#include "sys/log.h"
#include "install/system_win.h"

#include <windows.h>

#include <vector>

#include "i18n/translation.h"
#include "install/installer_command.h"
#include "net/device_service.h"
#include "net/http.h"
#include "install/layout_manifest.h"
#include "sys/busy_retry_win.h"
#include "sys/file_checks_win.h"
#include "sys/handle_win.h"
#include "sys/job_folder_win.h"
#include "sys/platform.h"
#include "sys/settings.h"
#include "sys/text_util.h"
#include "sys/utf8.h"

namespace {

// Opened for reading only and shared for reading only: until it is closed,
// nobody can write, rename or delete the file.
class CHeldFile : public IHeldFile {
public:
    CHeldFile(std::wstring path, sys::CFileHandle file) : m_path(std::move(path)), m_file(std::move(file)) {}
    const std::wstring& Path() const override { return m_path; }
    unsigned long long Size() override {
        LARGE_INTEGER size = {};
        return ::GetFileSizeEx(m_file.Get(), &size) ? static_cast<unsigned long long>(size.QuadPart) : 0;
    }
    std::string Sha256() override { return sys::FileSha256(m_file.Get()); }
    bool HasSha256(const std::string& expectedHex, std::string& reason) override {
        const std::string actual = sys::FileSha256(m_file.Get());
        if (!actual.empty() && actual == Lower(expectedHex)) {
            sys::Log(L"sha256 of " + m_path + L" matches");
            return true;
        }
        reason = "sha256 of " + WideToUtf8(m_path) + " is " +
                 (actual.empty() ? std::string("not computable") : actual) + ", not " + expectedHex;
        return false;
    }
    bool SignedBy(const std::wstring& signer, std::string& reason) override {
        std::wstring name;
        std::string revocation;
        if (!sys::ReadSignerName(m_file.Get(), m_path, name, reason, revocation)) {
            reason = WideToUtf8(m_path) + ": " + reason;
            return false;
        }
        sys::Log(L"revocation of the signature of " + m_path + L": " + Utf8ToWide(revocation));
        if (name == signer) {
            sys::Log(L"signature of " + m_path + L" is valid, signer " + name);
            return true;
        }
        reason = WideToUtf8(m_path) + " is signed by " + WideToUtf8(name) + ", not by " + WideToUtf8(signer);
        return false;
    }

private:
    std::wstring m_path;
    sys::CFileHandle m_file;
};

std::vector<std::wstring> PathParts(const std::wstring& relative) {
    std::vector<std::wstring> parts;
    for (std::size_t start = 0;;) {
        const std::size_t slash = relative.find(L'\\', start);
        parts.push_back(relative.substr(start, slash - start));
        if (slash == std::wstring::npos) return parts;
        start = slash + 1;
    }
}

// Every entry below folder, for the check of an unpacked package.
void CollectTree(const sys::CHeldFolder& folder, const std::wstring& prefix, std::vector<TreeEntry>& entries) {
    for (const sys::DirEntry& entry : folder.List()) {
        TreeEntry found;
        found.path = prefix + entry.name;
        found.link = (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if (!found.link && (entry.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            const sys::CHeldFolder sub = folder.OpenFolder(entry.name);
            if (sub.Valid()) CollectTree(sub, found.path + L"\\", entries);
        } else if (!found.link) {
            const sys::CFileHandle file = folder.OpenFile(
                entry.name, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
            std::vector<unsigned char> streams(64 * 1024);
            // A file system without streams (FAT, Wine) has no hidden ones either.
            if (file.Valid() && ::GetFileInformationByHandleEx(file.Get(), FileStreamInfo, streams.data(),
                                                                static_cast<DWORD>(streams.size()))) {
                for (std::size_t at = 0;;) {
                    const auto* stream = reinterpret_cast<const FILE_STREAM_INFO*>(streams.data() + at);
                    found.streams.emplace_back(stream->StreamName, stream->StreamNameLength / sizeof(wchar_t));
                    if (stream->NextEntryOffset == 0) break;
                    at += stream->NextEntryOffset;
                }
            }
        }
        entries.push_back(std::move(found));
    }
}

class CJobFolderOfSystem : public IJobFolder {
public:
    explicit CJobFolderOfSystem(std::unique_ptr<sys::CJobFolder> folder) : m_folder(std::move(folder)) {}
    const std::wstring& Path() const override { return m_folder->Path(); }

    std::unique_ptr<IHeldFile> CopyIn(const std::wstring& source, const std::wstring& name,
                                      const std::function<void(int)>& progress) override {
        if (!sys::CopyInto(m_folder->Folder(), name, source, progress)) {
            sys::Log(L"could not copy " + source + L" into " + Path() + L": error " + std::to_wstring(::GetLastError()));
            return nullptr;
        }
        return Hold(name);
    }

    std::unique_ptr<IHeldFile> Hold(const std::wstring& relative) override {
        const std::vector<std::wstring> parts = PathParts(relative);
        sys::CHeldFolder inner;
        const sys::CHeldFolder* folder = &m_folder->Folder();
        for (std::size_t i = 0; i + 1 < parts.size() && folder->Valid(); ++i) {
            inner = folder->OpenFolder(parts[i]);
            folder = &inner;
        }
        sys::CFileHandle file =
            folder->Valid() ? folder->OpenFile(parts.back(), GENERIC_READ, FILE_SHARE_READ) : sys::CFileHandle();
        if (!file.Valid()) {
            sys::Log(L"cannot hold " + Path() + L"\\" + relative);
            return nullptr;
        }
        return std::make_unique<CHeldFile>(Path() + L"\\" + relative, std::move(file));
    }

    std::wstring FindShallowest(const std::wstring& sub, const std::wstring& name) override {
        const sys::CHeldFolder folder = m_folder->Folder().OpenFolder(sub);
        const std::wstring found = folder.Valid() ? sys::FindShallowest(folder, name, true) : std::wstring();
        return found.empty() ? found : sub + L"\\" + found;
    }

    std::string UnpackedRefusal(const std::wstring& sub) override {
        const sys::CHeldFolder folder = m_folder->Folder().OpenFolder(sub);
        if (!folder.Valid()) return "nothing was unpacked";
        std::vector<TreeEntry> entries;
        CollectTree(folder, L"", entries);
        return ::UnpackedTreeRefusal(folder.Path(), entries);
    }

    void NoteStarted(const ProcessOutcome& started) override { m_folder->NoteStarted(started.program); }
    void Remove() override { m_folder->Remove(); }

private:
    std::unique_ptr<sys::CJobFolder> m_folder;
};

// The layout a /layout run fills, by its paths: it is a staging folder the
// administrator chose; what is stored there proves itself again when used.
class CLayoutStore : public ILayoutStore {
public:
    explicit CLayoutStore(std::wstring folder) : m_folder(std::move(folder)), m_packages(m_folder + L"\\packages\\") {}
    std::string ReadList() override {
        std::string json;
        sys::ReadWholeFile(m_packages + L"manifest.json", kMaxLayoutListBytes, json);
        return json;
    }
    bool WriteList(const std::string& json) override {
        const std::wstring path = m_packages + L"manifest.json", temp = path + L".new";
        {
            const sys::CFileHandle file(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                      FILE_ATTRIBUTE_NORMAL, nullptr));
            DWORD written = 0;
            if (!file.Valid() || !::WriteFile(file.Get(), json.data(), static_cast<DWORD>(json.size()), &written, nullptr) ||
                written != json.size())
                return false;
        }
        return sys::RetryWhileBusy([&] { return ::MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING); });
    }
    bool Holds(const std::wstring& name, unsigned long long size, const std::string& sha256) override {
        const sys::CFileHandle file(::CreateFileW((m_packages + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        LARGE_INTEGER actual = {};
        return file.Valid() && ::GetFileSizeEx(file.Get(), &actual) &&
               static_cast<unsigned long long>(actual.QuadPart) == size && sys::FileSha256(file.Get()) == sha256;
    }
    bool Store(const IHeldFile& file, const std::wstring& name) override {
        const std::wstring path = m_packages + name, temp = path + L".new";
        return ::CopyFileW(file.Path().c_str(), temp.c_str(), FALSE) &&
               sys::RetryWhileBusy([&] { return ::MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING); });
    }
    bool CopyProgram() override {
        const std::wstring program = sys::ExecutablePath();
        const std::wstring data = FolderOf(program) + L"\\data\\";
        if (Lower(FolderOf(program)) == Lower(m_folder)) return true;  // run from the layout itself
        ::CreateDirectoryW((m_folder + L"\\data").c_str(), nullptr);
        bool all = ::CopyFileW(program.c_str(), (m_folder + L"\\Installer.exe").c_str(), FALSE) != FALSE;
        WIN32_FIND_DATAW entry = {};
        sys::CFindHandle find(::FindFirstFileW((data + L"*").c_str(), &entry));
        if (find.Valid()) {
            do {
                if (entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
                all = ::CopyFileW((data + entry.cFileName).c_str(), (m_folder + L"\\data\\" + entry.cFileName).c_str(),
                                  FALSE) && all;
            } while (::FindNextFileW(find.Get(), &entry));
        }
        return all;
    }

private:
    static constexpr std::size_t kMaxLayoutListBytes = 1024 * 1024;
    std::wstring m_folder, m_packages;
};

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    return length && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

unsigned long long CreationTime(HANDLE process) {
    FILETIME created = {}, exited = {}, kernel = {}, user = {};
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// Starts the command in folder (its current folder, and through the
// program's own folder its DLL folder), with no handles inherited; with wait,
// waits up to timeoutMs (0: no limit) and reads the exit code.
ProcessOutcome Launch(const ProgramCommand& command, const std::wstring& folder, DWORD flags, bool wait,
                      unsigned long timeoutMs) {
    ProcessOutcome outcome;
    std::vector<wchar_t> commandLine(command.commandLine.begin(), command.commandLine.end());
    commandLine.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    sys::Log(L"running " + command.commandLine);
    if (!::CreateProcessW(command.application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                          folder.c_str(), &startup, &info)) {
        outcome.error = ::GetLastError();
        sys::Log(L"could not start it: error " + std::to_wstring(outcome.error));
        return outcome;
    }
    const sys::CProcessHandles started(info);
    const HANDLE process = started.process.Get();
    outcome.started = true;
    outcome.program = {info.dwProcessId, CreationTime(process)};
    if (!wait) {
        outcome.running = true;
        return outcome;
    }
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

}  // namespace

void CWindowsJobSystem::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

std::wstring CWindowsJobSystem::AppPath(const std::wstring& relative) {
    return CTranslation::MakeAppPath(relative);
}

WindowsVersion CWindowsJobSystem::QueryWindows() { return ThisWindows(); }

NetResult CWindowsJobSystem::HttpGetJson(const std::string& url, std::string& body) {
    return ::HttpGetJson(Utf8ToWide(AddressForTheWire(url)), body);
}

NetResult CWindowsJobSystem::DownloadFile(const std::string& url, const std::wstring& path,
                                          const std::function<void(int)>& progress) {
    return ::DownloadFile(Utf8ToWide(AddressForTheWire(url)), path, progress);
}

std::unique_ptr<IJobFolder> CWindowsJobSystem::CreateJobFolder() {
    std::unique_ptr<sys::CJobFolder> folder = sys::CJobFolder::Create();
    if (!folder) return nullptr;
    return std::make_unique<CJobFolderOfSystem>(std::move(folder));
}

std::string CWindowsJobSystem::ReadPackageList() {
    std::string json;
    sys::ReadWholeFile(LayoutFile(L"manifest.json"), kMaxManifestBytes, json);
    return json;
}

std::wstring CWindowsJobSystem::LayoutFile(const std::wstring& name) {
    const std::wstring source = g_settings.packageSource.empty() ? AppPath(L"") : g_settings.packageSource + L"\\";
    return source + L"packages\\" + name;
}

std::unique_ptr<ILayoutStore> CWindowsJobSystem::OpenLayoutStore(const std::wstring& folder) {
    ::CreateDirectoryW(folder.c_str(), nullptr);
    ::CreateDirectoryW((folder + L"\\packages").c_str(), nullptr);
    const DWORD attributes = ::GetFileAttributesW((folder + L"\\packages").c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return nullptr;
    return std::make_unique<CLayoutStore>(folder);
}

ProcessOutcome CWindowsJobSystem::RunAndWait(const IHeldFile& program, const std::wstring& arguments,
                                             unsigned long timeoutMs, bool console) {
    const DWORD flags = console && g_settings.mayAskUser ? CREATE_NEW_CONSOLE : CREATE_NO_WINDOW;
    return Launch(ProgramWithArguments(program.Path(), arguments), FolderOf(program.Path()), flags, true, timeoutMs);
}

ProcessOutcome CWindowsJobSystem::StartInstaller(const IHeldFile& installer, const std::wstring& arguments) {
    return Launch(InstallerCommand(installer.Path(), SystemFolder(), arguments), FolderOf(installer.Path()), 0,
                  m_waitForInstallers, g_settings.installerTimeoutMs);
}
