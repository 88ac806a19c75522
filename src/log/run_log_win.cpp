#include <windows.h>
#include <sddl.h>

#include <mutex>

#include "log/run_log.h"
#include "sys/handle_win.h"
#include "sys/platform.h"
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

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
    return length && length <= MAX_PATH ? std::wstring(buffer, length) : L"";
}

// A plain file with no second name: writing to it writes nowhere else.
bool IsOnlyName(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info = {};
    return ::GetFileInformationByHandle(file, &info) && info.nNumberOfLinks == 1 &&
           !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

// Created new, never through a link, shared with readers only. security:
// the access list it gets, or null to take the folder's.
sys::CFileHandle CreateNewLog(const std::wstring& path, PSECURITY_DESCRIPTOR security) {
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, security, FALSE};
    sys::CFileHandle file(::CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ,
                                        security ? &attributes : nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file.Valid() && !IsOnlyName(file.Get())) file.Reset();
    return file;
}

// An existing log this program wrote (its first line says so), for appending.
sys::CFileHandle OpenOwnLog(const std::wstring& path) {
    sys::CFileHandle file(::CreateFileW(path.c_str(), FILE_READ_DATA | FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.Valid() || !IsOnlyName(file.Get())) return sys::CFileHandle();
    std::string first(512, '\0');
    DWORD got = 0;
    if (!::ReadFile(file.Get(), first.data(), static_cast<DWORD>(first.size()), &got, nullptr)) return sys::CFileHandle();
    first.resize(got);
    if (!IsRunLogHeader(first.substr(0, first.find('\n')))) return sys::CFileHandle();
    return file;
}

// The default log: new in the temporary folder, which may be shared (as
// C:\Windows\Temp is when a deployment tool runs us as SYSTEM), so with an
// access list of its own: this user, Administrators and SYSTEM.
sys::CFileHandle CreateDefaultLog(const std::wstring& folder, std::wstring& path) {
    const std::wstring sddl = L"D:P(A;;FA;;;" + sys::ProcessUserSid() + L")(A;;FA;;;BA)(A;;FA;;;SY)";
    sys::CLocalMemory security;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            sddl.c_str(), SDDL_REVISION_1, reinterpret_cast<PSECURITY_DESCRIPTOR*>(security.Put()), nullptr))
        return sys::CFileHandle();
    const LogTime now = Now();
    for (int n = 1; n <= 100; ++n) {
        path = folder + DefaultLogName(now, n);
        sys::CFileHandle file = CreateNewLog(path, security.Get());
        if (file.Valid() || ::GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return sys::CFileHandle();
}

// The log named on the command line: appended to when this program wrote
// it, else a new file beside it.
sys::CFileHandle OpenNamedLog(const std::wstring& given, std::wstring& path) {
    for (int n = 1; n <= 100; ++n) {
        path = n == 1 ? given : NumberedLogPath(given, n);
        sys::CFileHandle file = CreateNewLog(path, nullptr);
        if (file.Valid()) return file;
        if (::GetLastError() != ERROR_FILE_EXISTS) return file;
        file = OpenOwnLog(path);
        if (file.Valid()) return file;
    }
    return sys::CFileHandle();
}

// Opens each old log without following a link and deletes it through that
// handle, only when it is a plain file with one name.
void RemoveOldLogs(const std::wstring& folder, const std::wstring& own) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found = {};
    sys::CFindHandle search(::FindFirstFileW((folder + L"Installer_*.log").c_str(), &found));
    if (!search.Valid()) return;
    do {
        if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
            names.push_back(found.cFileName);
    } while (::FindNextFileW(search.Get(), &found));
    for (const std::wstring& name : LogsToRemove(names, kLogsKept)) {
        if (folder + name == own) continue;
        const sys::CFileHandle old(::CreateFileW((folder + name).c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                 OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        FILE_DISPOSITION_INFO disposition = {TRUE};
        if (old.Valid() && IsOnlyName(old.Get()))
            ::SetFileInformationByHandle(old.Get(), FileDispositionInfo, &disposition, sizeof disposition);
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

bool OpenRunLog(const std::wstring& path) {
    std::wstring target;
    const std::wstring temp = TempFolder();
    sys::CFileHandle file;
    if (!path.empty()) file = OpenNamedLog(path, target);
    else if (!temp.empty()) file = CreateDefaultLog(temp, target);
    if (!file.Valid()) return false;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        g_file = std::move(file);
        g_path = target;
        WriteLocked(g_early);
        g_early.clear();
    }
    if (path.empty()) RemoveOldLogs(temp, target);
    return true;
}

std::wstring RunLogPath() {
    std::lock_guard<std::mutex> guard(g_lock);
    return g_path;
}
