#include "log/run_log.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwctype>

namespace {

// text matches pattern, where '#' stands for a digit and letters match either case.
bool Matches(const std::wstring& text, const std::wstring& pattern) {
    if (text.size() != pattern.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (pattern[i] == L'#' ? !std::iswdigit(text[i]) : std::towlower(text[i]) != std::towlower(pattern[i]))
            return false;
    }
    return true;
}

bool IsDefaultLogName(const std::wstring& name) {
    const std::wstring base = L"Installer_########_######";
    if (name.size() < base.size() + 4 || !Matches(name.substr(0, base.size()), base) ||
        !Matches(name.substr(name.size() - 4), L".log"))
        return false;
    const std::wstring number = name.substr(base.size(), name.size() - base.size() - 4);
    if (number.empty()) return true;
    return number.size() >= 2 && number.size() <= 4 && number[0] == L'_' &&
           std::all_of(number.begin() + 1, number.end(), [](wchar_t c) { return std::iswdigit(c) != 0; });
}

}  // namespace

std::wstring DefaultLogName(const LogTime& t, int n) {
    wchar_t name[64] = {};
    std::swprintf(name, 64, L"Installer_%04d%02d%02d_%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return name + (n > 1 ? L"_" + std::to_wstring(n) : std::wstring()) + L".log";
}

std::wstring NumberedLogPath(const std::wstring& path, int n) {
    const std::size_t slash = path.find_last_of(L"\\/");
    const std::size_t dot = path.find_last_of(L'.');
    const std::size_t at = dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash) ? dot : path.size();
    return path.substr(0, at) + L"_" + std::to_wstring(n) + path.substr(at);
}

bool IsRunLogHeader(const std::string& firstLine) {
    const std::wstring stamp(firstLine.begin(), firstLine.begin() + std::min<std::size_t>(firstLine.size(), 24));
    return Matches(stamp, L"####-##-## ##:##:##.### ") &&
           firstLine.compare(24, std::strlen(kRunLogHeaderStart), kRunLogHeaderStart) == 0 &&
           firstLine.find(" started: ") != std::string::npos;
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

std::wstring LogFolderSecurity() { return L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)"; }
