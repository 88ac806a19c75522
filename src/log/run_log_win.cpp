#include <windows.h>

#include <mutex>

#include "log/run_log.h"
#include "sys/handle_win.h"
#include "sys/held_folder_win.h"
#include "sys/work_folder_win.h"
#include "sys/platform.h"
#include "sys/security_win.h"
#include "sys/utf8.h"

namespace {

std::mutex g_lock;
sys::CFileHandle g_file;
std::wstring g_path;
std::string g_early;  // lines logged before the file was open

LogTime Now() {
    SYSTEMTIME t = {};
    ::GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

// One write per line and no buffer of ours: a crash loses at most the line
// being written.
void WriteLocked(const std::string& bytes) {
    DWORD written = 0;
    ::WriteFile(g_file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Append(const std::string& utf8) {
    const std::string line = FormatLogLine(Now(), utf8);
    std::lock_guard<std::mutex> guard(g_lock);
    if (g_file.Valid()) WriteLocked(line);
    else if (g_early.size() < 64 * 1024) g_early += line;
}

// The default logs' folder in the work folder, held: made with its own
// list, or, when it is there, used only while administrators alone can change it.
sys::CHeldFolder DefaultLogFolder() {
    const sys::CHeldFolder work = sys::GetWorkFolder();
    if (!work.Valid()) return sys::CHeldFolder();
    const std::wstring security = LogFolderSecurity();
    sys::CHeldFolder logs = work.CreateFolder(kLogFolderName, security.c_str());
    if (logs.Valid() || ::GetLastError() != ERROR_ALREADY_EXISTS) return logs;
    logs = work.OpenFolder(kLogFolderName);
    if (logs.Valid() && sys::WhoElseMayChange(logs.Get()).empty()) return logs;
    logs.Close();
    work.RemoveEntry(kLogFolderName);  // a link, or a folder others could change: not ours to write in
    return work.CreateFolder(kLogFolderName, security.c_str());
}

// A plain file with no second name: writing to it writes nowhere else.
bool IsOnlyName(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info = {};
    return ::GetFileInformationByHandle(file, &info) && info.nNumberOfLinks == 1 &&
           !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

bool NameTaken(DWORD error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }

// Created new in the held folder, never through a link, shared with readers
// only. security: the access list it gets, or null to take the folder's.
sys::CFileHandle CreateNewLog(const sys::CHeldFolder& folder, const std::wstring& name, PSECURITY_DESCRIPTOR security) {
    sys::CFileHandle file = folder.CreateFile(name, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, security);
    if (file.Valid() && !IsOnlyName(file.Get())) {
        file.Reset();
        ::SetLastError(ERROR_ALREADY_EXISTS);  // another file's name: take the next one
    }
    return file;
}

// An existing log this program wrote (its first line says so), for appending.
sys::CFileHandle OpenOwnLog(const sys::CHeldFolder& folder, const std::wstring& name) {
    sys::CFileHandle file = folder.OpenFile(name, FILE_READ_DATA | FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ, false);
    if (!file.Valid() || !IsOnlyName(file.Get())) return sys::CFileHandle();
    std::string first(512, '\0');
    DWORD got = 0;
    if (!::ReadFile(file.Get(), first.data(), static_cast<DWORD>(first.size()), &got, nullptr)) return sys::CFileHandle();
    first.resize(got);
    if (!IsRunLogHeader(first.substr(0, first.find('\n')))) return sys::CFileHandle();
    return file;
}

// The default log: new in the logs folder, with the folder's access list.
sys::CFileHandle CreateDefaultLog(const sys::CHeldFolder& folder, std::wstring& name) {
    const LogTime now = Now();
    for (int n = 1; n <= 100; ++n) {
        name = DefaultLogName(now, n);
        sys::CFileHandle file = CreateNewLog(folder, name, nullptr);
        if (file.Valid() || !NameTaken(::GetLastError())) return file;
    }
    return sys::CFileHandle();
}

// The log named on the command line: appended to when this program wrote
// it, else a new file beside it.
sys::CFileHandle OpenNamedLog(const sys::CHeldFolder& folder, const std::wstring& given, std::wstring& name) {
    for (int n = 1; n <= 100; ++n) {
        name = n == 1 ? given : NumberedLogPath(given, n);
        sys::CFileHandle file = CreateNewLog(folder, name, nullptr);
        if (file.Valid()) return file;
        if (!NameTaken(::GetLastError())) return file;
        file = OpenOwnLog(folder, name);
        if (file.Valid()) return file;
    }
    return sys::CFileHandle();
}

// Opens each old log in the held folder without following a link and
// deletes it through that handle, only when it is a plain file with one name.
void RemoveOldLogs(const sys::CHeldFolder& folder, const std::wstring& own) {
    std::vector<std::wstring> names;
    for (const sys::DirEntry& entry : folder.List())
        if (!(entry.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) names.push_back(entry.name);
    for (const std::wstring& name : LogsToRemove(names, kLogsKept)) {
        if (name == own) continue;
        const sys::CFileHandle old = folder.OpenFile(name, DELETE | FILE_READ_ATTRIBUTES,
                                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, false);
        if (old.Valid() && IsOnlyName(old.Get())) sys::MarkForDeletion(old.Get());
    }
}

class CRunLog : public sys::ILogSink {
public:
    void Write(const std::wstring& line) override { Append(WideToUtf8(line)); }
};

}  // namespace

sys::ILogSink& RunLog() {
    static CRunLog log;
    return log;
}

// The folder of a log named on the command line ("C:\\", "." when it names
// none), and its name.
std::wstring FolderOfNamed(const std::wstring& path, std::wstring& name) {
    const std::size_t slash = path.find_last_of(L"\\/");
    name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    if (slash == std::wstring::npos) return L".";
    const std::wstring folder = path.substr(0, slash);
    return folder.empty() || folder.back() == L':' ? folder + L"\\" : folder;
}

bool OpenRunLog(const std::wstring& path) {
    // Held for the whole run: the log and the old ones are reached through it alone.
    static sys::CHeldFolder folder;
    std::wstring given, name;
    folder = path.empty() ? DefaultLogFolder() : sys::CHeldFolder::OpenResolved(FolderOfNamed(path, given));
    if (!folder.Valid()) return false;
    sys::CFileHandle file = path.empty() ? CreateDefaultLog(folder, name) : OpenNamedLog(folder, given, name);
    if (!file.Valid()) return false;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        g_file = std::move(file);
        g_path = folder.PathOf(name);
        WriteLocked(g_early);
        g_early.clear();
    }
    if (path.empty()) RemoveOldLogs(folder, name);
    return true;
}

std::wstring RunLogPath() {
    std::lock_guard<std::mutex> guard(g_lock);
    return g_path;
}
