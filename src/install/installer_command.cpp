#include "install/installer_command.h"

#include "sys/text_util.h"
#include "sys/utf8.h"

HowStarted HowStartedOf(const std::wstring& path) {
    const std::wstring name = Lower(path);
    if (EndsWith(name, L".exe")) return HowStarted::Itself;
    if (EndsWith(name, L".msi")) return HowStarted::ThroughMsiexec;
    return HowStarted::Never;
}

ProgramCommand ProgramWithArguments(const std::wstring& path, const std::wstring& arguments) {
    return {path, Quoted(path) + (arguments.empty() ? L"" : L" " + arguments)};
}

ProgramCommand InstallerCommand(const std::wstring& path, const std::wstring& systemFolder,
                                const std::wstring& arguments) {
    switch (HowStartedOf(path)) {
    case HowStarted::Itself: return ProgramWithArguments(path, arguments);
    case HowStarted::ThroughMsiexec:
        return ProgramWithArguments(JoinPath(systemFolder, L"msiexec.exe"),
                                    L"/i " + Quoted(path) + (arguments.empty() ? L"" : L" " + arguments));
    case HowStarted::Never: break;
    }
    return ProgramCommand{};
}


std::string MsiSourceRefusal(const MsiMedia& media) {
    if (!media.read) return "its Windows Installer tables cannot be read";
    if (media.files == 0) return std::string();  // nothing to take from anywhere
    for (const std::wstring& cabinet : media.cabinets) {
        if (cabinet.empty()) return "its files lie uncompressed beside it, which a download does not bring";
        if (cabinet[0] != L'#') return "it needs the cabinet " + WideToUtf8(cabinet) + " beside it, which a download does not bring";
    }
    return media.cabinets.empty() ? "it names no disk its files come from" : std::string();
}
