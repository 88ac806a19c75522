#include "sys/paths.h"

#include "sys/held_folder_win.h"

std::wstring FindFileRecursive(const std::wstring& pattern, const std::wstring& name, bool descend) {
    const auto slash = pattern.find_last_of(L'\\');
    if (slash == std::wstring::npos) return std::wstring();
    const sys::CHeldFolder folder = sys::CHeldFolder::Open(pattern.substr(0, slash));
    if (!folder.Valid()) return std::wstring();
    const std::wstring found = sys::FindShallowest(folder, name, descend);
    return found.empty() ? found : folder.PathOf(found);
}
