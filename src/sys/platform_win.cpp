#include "sys/platform.h"

#include <windows.h>
#include <shlwapi.h>

#include "sys/handle_win.h"

namespace sys {

std::wstring ExecutablePath() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::wstring AppFolderJoin(const std::wstring& name) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (name.empty()) {
        std::wstring folder(path);
        return folder.substr(0, folder.find_last_of(L'\\') + 1);
    }
    ::PathRemoveFileSpecW(path);
    ::PathAppendW(path, name.c_str());
    return path;
}

unsigned short UserUiLanguage() { return ::GetUserDefaultUILanguage(); }

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

void DebugOutput(const char* text) { ::OutputDebugStringA(text); }
void DebugOutput(const wchar_t* text) { ::OutputDebugStringW(text); }

}  // namespace sys
