#include "install/installer_command.h"

#include "sys/text_util.h"

namespace {
std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }
}  // namespace

ProgramCommand ProgramWithArguments(const std::wstring& path, const std::wstring& arguments) {
    return {path, Quoted(path) + (arguments.empty() ? L"" : L" " + arguments)};
}

ProgramCommand InstallerCommand(const std::wstring& path, const std::wstring& systemFolder,
                                const std::wstring& arguments) {
    if (!EndsWith(Lower(path), L".msi")) return ProgramWithArguments(path, arguments);
    return ProgramWithArguments(systemFolder + L"\\msiexec.exe",
                                L"/i " + Quoted(path) + (arguments.empty() ? L"" : L" " + arguments));
}
