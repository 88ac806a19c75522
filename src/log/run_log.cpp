#include "log/run_log.h"

#include <algorithm>
#include <cstdio>
#include <cwctype>

namespace {

bool IsDefaultLogName(const std::wstring& name) {
    const std::wstring pattern = L"Installer_########_######.log";
    if (name.size() != pattern.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (pattern[i] == L'#' ? !std::iswdigit(name[i]) : std::towlower(name[i]) != std::towlower(pattern[i]))
            return false;
    }
    return true;
}

}  // namespace

std::wstring DefaultLogName(const LogTime& t) {
    wchar_t name[64] = {};
    std::swprintf(name, 64, L"Installer_%04d%02d%02d_%02d%02d%02d.log", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return name;
}

std::string FormatLogLine(const LogTime& t, const std::string& utf8) {
    char stamp[32] = {};
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d ", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.millisecond);
    std::string text = utf8;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return stamp + text + "\r\n";
}

std::vector<std::wstring> LogsToRemove(std::vector<std::wstring> names, std::size_t keep) {
    names.erase(std::remove_if(names.begin(), names.end(), [](const std::wstring& n) { return !IsDefaultLogName(n); }),
                names.end());
    std::sort(names.begin(), names.end());
    if (names.size() <= keep) return {};
    names.resize(names.size() - keep);
    return names;
}
