#include "sys/os_version.h"

std::vector<std::wstring> SplitVersionComponents(const std::wstring& version) {
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    while (start < version.size()) {
        const std::size_t dot = version.find(L'.', start);
        if (dot == std::wstring::npos) {
            parts.push_back(version.substr(start));
            break;
        }
        parts.push_back(version.substr(start, dot - start));
        start = dot + 1;
    }
    return parts;
}

OsVersionClass ClassifyOsVersion(const std::wstring& version) {
    const auto parts = SplitVersionComponents(version);
    if (parts.size() < 2) return 0;
    static const struct { const wchar_t* major; const wchar_t* minor; OsVersionClass code; } table[] = {
        {L"10", L"0", 9}, {L"6", L"3", 8}, {L"6", L"2", 7}, {L"6", L"1", 6},
        {L"6", L"0", 5},  {L"5", L"2", 4}, {L"5", L"1", 2}, {L"5", L"0", 3},
    };
    for (const auto& row : table)
        if (parts[0] == row.major && parts[1] == row.minor) return row.code;
    return parts[0] == L"4" ? 1 : 0;
}
