#include "app/console_win.h"

#include <windows.h>
#include <shellapi.h>

#include "quiet/command_line.h"
#include "sys/handle_win.h"
#include "sys/utf8.h"

std::vector<std::wstring> ProgramArguments() {
    int count = 0;
    const sys::CLocalMemory argv(::CommandLineToArgvW(::GetCommandLineW(), &count));
    const auto* words = static_cast<LPWSTR*>(argv.Get());
    std::vector<std::wstring> arguments;
    for (int i = 1; words && i < count; ++i) arguments.emplace_back(words[i]);
    return arguments;
}

bool WriteToCaller(const std::wstring& text) {
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    const DWORD type = out && out != INVALID_HANDLE_VALUE ? ::GetFileType(out) : FILE_TYPE_UNKNOWN;
    if (type == FILE_TYPE_CHAR && ::WriteConsoleW(out, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr))
        return true;
    if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) {
        const std::string utf8 = WideToUtf8(text);
        return ::WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr) != FALSE;
    }
    if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
        const sys::CFileHandle console(
            ::CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
        if (console.Valid())
            return ::WriteConsoleW(console.Get(), text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr) != FALSE;
    }
    return false;
}

void ShowUsage(const std::wstring& error, bool quiet) {
    const std::wstring text = (error.empty() ? L"" : L"Usage error: " + error + L"\n\n") + UsageText();
    if (WriteToCaller(text)) return;
    if (!quiet)
        ::MessageBoxW(nullptr, text.c_str(), L"Installer", MB_OK | (error.empty() ? MB_ICONINFORMATION : MB_ICONERROR));
}
