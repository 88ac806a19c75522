#include "sys/text.h"

#include <windows.h>

#include <vector>

std::wstring AnsiToWide(const std::string& text) {
    const int needed = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (needed <= 0) return std::wstring();
    std::vector<wchar_t> buffer(static_cast<std::size_t>(needed) + 1, L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, buffer.data(), needed);
    return std::wstring(buffer.data());
}

namespace {
std::string FromWide(const std::wstring& text, UINT codePage) {
    const int needed = ::WideCharToMultiByte(codePage, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return std::string();
    std::vector<char> buffer(static_cast<std::size_t>(needed) + 1, '\0');
    ::WideCharToMultiByte(codePage, 0, text.c_str(), -1, buffer.data(), needed, nullptr, nullptr);
    return std::string(buffer.data());
}
}  // namespace

std::string WideToAnsi(const std::wstring& text) { return FromWide(text, CP_ACP); }
