// Stands in for data\7za.exe under Wine: forwards its command line to the
// host's real 7-Zip, with every Windows path turned into the Unix path Wine
// maps it to, and ends with 7-Zip's exit code.
//
// Wine cannot wait for a Unix process it started, so 7-Zip runs under a
// shell that writes its exit code to a file, which the shim waits for.
#include <windows.h>
#include <shellapi.h>

#include <fstream>
#include <string>

namespace {

using UnixNameFn = char* (__cdecl*)(const wchar_t*);

std::string UnixPath(const std::wstring& path) {
    static const auto toUnix = reinterpret_cast<UnixNameFn>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
    char* unix = toUnix ? toUnix(path.c_str()) : nullptr;
    if (!unix) return std::string(path.begin(), path.end());
    std::string result(unix);
    ::HeapFree(::GetProcessHeap(), 0, unix);
    return result;
}

std::string Utf8(const std::wstring& text) {
    const int needed = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, result.data(), needed, nullptr, nullptr);
    result.resize(result.size() - 1);
    return result;
}

bool IsWindowsPath(const std::wstring& text) {
    return text.size() > 2 && text[1] == L':' && (text[2] == L'\\' || text[2] == L'/');
}

std::string Translate(const std::wstring& argument) {
    if (argument.rfind(L"-o", 0) == 0 && IsWindowsPath(argument.substr(2)))
        return "-o" + UnixPath(argument.substr(2));
    return IsWindowsPath(argument) ? UnixPath(argument) : Utf8(argument);
}

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

int wmain() {
    wchar_t temp[MAX_PATH] = {}, statusFile[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    ::GetTempFileNameW(temp, L"7z", 0, statusFile);
    ::DeleteFileW(statusFile);
    const std::string status = UnixPath(statusFile);

    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    // Whatever locale the test runs under, 7-Zip reads and writes names as UTF-8.
    std::string script = "LC_ALL=C.UTF-8 /usr/bin/7z";
    for (int i = 1; i < count; ++i) script += " " + ShellQuoted(Translate(arguments[i]));
    ::LocalFree(arguments);
    script += "; echo $? > " + ShellQuoted(status + ".tmp") + " && mv " + ShellQuoted(status + ".tmp") + " " +
              ShellQuoted(status);

    // The script is UTF-8 (paths, names); Wine hands the command line to the
    // Unix side as UTF-8 again.
    std::wstring wide(static_cast<std::size_t>(::MultiByteToWideChar(CP_UTF8, 0, script.c_str(), -1, nullptr, 0)), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, script.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    wide.resize(wide.size() - 1);
    std::wstring commandLine = L"/bin/sh -c \"";
    for (wchar_t c : wide) {
        if (c == L'"' || c == L'\\') commandLine += L'\\';
        commandLine += c;
    }
    commandLine += L"\"";

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return 2;  // 7-Zip's own code for a fatal error
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    for (int waited = 0; waited < 10 * 60 * 20; ++waited) {  // ten minutes at most
        std::ifstream in(statusFile);
        int code = 0;
        if (in >> code) {
            in.close();
            ::DeleteFileW(statusFile);
            return code;
        }
        ::Sleep(50);
    }
    return 2;
}
