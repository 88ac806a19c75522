#include <windows.h>

#include <mutex>

#include "log/run_log.h"
#include "sys/handle_win.h"
#include "sys/text.h"

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

void RemoveOldLogs(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found = {};
    sys::CFindHandle search(::FindFirstFileW((folder + L"Installer_*.log").c_str(), &found));
    if (!search.Valid()) return;
    do {
        if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
            names.push_back(found.cFileName);
    } while (::FindNextFileW(search.Get(), &found));
    for (const std::wstring& name : LogsToRemove(names, kLogsKept)) ::DeleteFileW((folder + name).c_str());
}

}  // namespace

namespace sys {

bool OpenRunLog(const std::wstring& path) {
    std::wstring target = path;
    const std::wstring temp = TempFolder();
    if (target.empty()) {
        if (temp.empty()) return false;
        target = temp + DefaultLogName(Now());
    }
    // Appending only (two runs in the same second share the file), and a link
    // in its place is not followed.
    sys::CFileHandle file(::CreateFileW(target.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.Valid()) return false;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        g_file = std::move(file);
        g_path = target;
        WriteLocked(g_early);
        g_early.clear();
    }
    if (path.empty()) RemoveOldLogs(temp);
    return true;
}

std::wstring RunLogPath() {
    std::lock_guard<std::mutex> guard(g_lock);
    return g_path;
}

void Log(const std::wstring& text) {
    ::OutputDebugStringW((text + L"\n").c_str());
    Append(WideToUtf8(text));
}

void Log(const char* ansiText) {
    ::OutputDebugStringA(ansiText);
    Append(WideToUtf8(AnsiToWide(ansiText)));
}

}  // namespace sys
