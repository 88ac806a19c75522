#include "sys/platform.h"

#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <vector>

#include "sys/handle_win.h"

namespace sys {

std::wstring ExecutablePath() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {  // a full buffer may hold a cut path: grow it until it does not
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size()) return std::wstring(path.data(), length);
        path.resize(path.size() * 2);
    }
}

std::string GetProgramVersion() {
    const std::wstring path = ExecutablePath();
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return std::string();
    std::vector<BYTE> info(size);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, info.data())) return std::string();
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed)
        return std::string();
    char text[100] = {};
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                  HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
    return text;
}

std::wstring AppFolderJoin(const std::wstring& name) {
    const std::wstring exe = ExecutablePath();
    const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\') + 1);
    if (name.empty()) return folder;
    // Joined as the shell's path calls join: one backslash between the parts.
    return folder + (name.front() == L'\\' ? name.substr(1) : name);
}

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    return length && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

unsigned short UserUiLanguage() { return ::GetUserDefaultUILanguage(); }

NumberFacts UserNumberFacts() {
    NumberFacts facts;
    const auto read = [](LCTYPE type, std::wstring& into) {
        wchar_t value[16] = {};
        if (::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, value, 16) > 0) into = value;
    };
    read(LOCALE_SDECIMAL, facts.decimalSign);
    if (facts.decimalSign.empty()) facts.decimalSign = L".";
    read(LOCALE_STHOUSAND, facts.groupSeparator);
    std::wstring grouping = L"3;0";
    read(LOCALE_SGROUPING, grouping);
    ReadGrouping(grouping, facts);
    return facts;
}

ReadResult ReadWholeFile(const std::wstring& path, std::size_t maxBytes, std::string& bytes) {
    CFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return ReadResult::CannotOpen;
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.Get(), &size)) return ReadResult::CannotOpen;
    if (size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > maxBytes)
        return ReadResult::TooLarge;

    std::string content;
    char chunk[16384];
    DWORD got = 0;
    // Read to the end rather than trusting the size: a writer may be at work.
    while (::ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr) && got > 0) {
        if (content.size() + got > maxBytes) return ReadResult::TooLarge;
        content.append(chunk, got);
    }
    bytes.swap(content);
    return ReadResult::Ok;
}

std::wstring ProcessUserSid() {
    CKernelHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Put())) return std::wstring();
    DWORD size = 0;
    ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    if (size == 0) return std::wstring();
    std::vector<BYTE> buffer(size);
    CLocalMemory text;
    if (!::GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size) ||
        !::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid,
                                  reinterpret_cast<LPWSTR*>(text.Put())))
        return std::wstring();
    return static_cast<const wchar_t*>(text.Get());
}

bool RecordsOwners() {
    static const bool wine = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return !wine;
}

}  // namespace sys
