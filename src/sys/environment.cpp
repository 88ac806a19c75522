#include "sys/environment.h"

#include "sys/text_util.h"

namespace {

// "Name=value" names Name; Windows keeps per-drive folders as "=C:=C:\…".
std::wstring NameOf(const std::wstring& variable) {
    const std::size_t equals = variable.find(L'=', 1);
    return Lower(variable.substr(0, equals));
}

}  // namespace

std::wstring EnvironmentWith(const std::wstring& block,
                             const std::vector<std::pair<std::wstring, std::wstring>>& values) {
    std::wstring result;
    for (std::size_t at = 0; at < block.size() && block[at] != L'\0';) {
        const std::size_t end = block.find(L'\0', at);
        const std::wstring variable = block.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at);
        bool replaced = false;
        for (const auto& value : values) replaced = replaced || NameOf(variable) == Lower(value.first);
        if (!replaced) result += variable + L'\0';
        if (end == std::wstring::npos) break;
        at = end + 1;
    }
    for (const auto& value : values) result += value.first + L"=" + value.second + L'\0';
    return result + L'\0';
}
