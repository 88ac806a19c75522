#include "sys/paths.h"

#include <windows.h>

#include <cwchar>

#include "sys/handle_win.h"

namespace {

bool IsDotEntry(const wchar_t* name) {
    return std::wcscmp(name, L".") == 0 || std::wcscmp(name, L"..") == 0;
}

std::wstring FolderOfPattern(const std::wstring& pattern) {
    const auto slash = pattern.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : pattern.substr(0, slash);
}

std::wstring JoinEntry(const std::wstring& folder, const wchar_t* entry) {
    return folder.empty() ? std::wstring(entry) : folder + L'\\' + entry;
}

}  // namespace

std::wstring FindFileRecursive(const std::wstring& pattern, const std::wstring& name, bool descend) {
    if (pattern.empty()) return std::wstring();
    WIN32_FIND_DATAW entry = {};
    sys::CFindHandle find(::FindFirstFileW(pattern.c_str(), &entry));
    if (!find.Valid()) return std::wstring();

    const std::wstring folder = FolderOfPattern(pattern);
    do {
        if (IsDotEntry(entry.cFileName) || (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        const std::wstring full = JoinEntry(folder, entry.cFileName);
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && descend) {
            std::wstring found = FindFileRecursive(full + L"\\*.*", name, false);
            if (!found.empty()) return found;
        } else if (::_wcsicmp(entry.cFileName, name.c_str()) == 0) {
            return full;
        }
    } while (::FindNextFileW(find.Get(), &entry));
    return std::wstring();
}
