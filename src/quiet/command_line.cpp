#include "quiet/command_line.h"

#include <cwctype>

#include "i18n/catalogue.h"

namespace {

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

bool IsSwitch(const std::wstring& argument) {
    return argument.size() > 1 && (argument[0] == L'/' || argument[0] == L'-');
}

// The catalogue section a /lang value names, or "" when it names none.
std::wstring SectionNamed(const std::wstring& value) {
    for (const wchar_t* code : kLanguageCodes)
        if (Lower(value) == code) return code;
    return L"";
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::wstring>& arguments) {
    CommandLine line;
    const auto fail = [&line](const std::wstring& why) {
        if (line.error.empty()) line.error = why;
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (!IsSwitch(argument)) {
            fail(L"unexpected argument " + argument);
            continue;
        }
        const std::wstring name = Lower(argument.substr(1));
        const bool hasValue = i + 1 < arguments.size() && !IsSwitch(arguments[i + 1]);
        if (name == L"quiet") line.quiet = true;
        else if (name == L"?") line.help = true;
        else if (name == L"wifi") line.chosen[kWifi] = true;
        else if (name == L"bluetooth") line.chosen[kBluetooth] = true;
        else if (name == L"hotspot") line.chosen[kHotspot] = true;
        else if (name == L"receiver") line.chosen[kReceiver] = true;
        else if (name == L"lang" || name == L"log") {
            if (!hasValue) {
                fail(argument + (name == L"lang" ? L" needs a language code" : L" needs a file name"));
                continue;
            }
            const std::wstring& value = arguments[++i];
            if (name == L"log") {
                line.logFile = value;
            } else {
                line.language = SectionNamed(value);
                if (line.language.empty()) fail(L"unknown language " + value);
            }
        } else {
            fail(L"unknown switch " + argument);
        }
    }
    const bool someChosen = line.chosen[kWifi] || line.chosen[kBluetooth] || line.chosen[kHotspot] ||
                            line.chosen[kReceiver];
    if (someChosen && !line.quiet && !line.help) fail(L"/wifi, /bluetooth, /receiver and /hotspot need /quiet");
    return line;
}

void RejectUnoffered(CommandLine& line, const bool (&offered)[kFeatureCount]) {
    const wchar_t* const names[kFeatureCount] = {L"/wifi", L"/bluetooth", L"/hotspot", L"/receiver"};
    for (int f = 0; f < kFeatureCount; ++f)
        if (line.chosen[f] && !offered[f] && line.error.empty())
            line.error = std::wstring(L"this build does not offer ") + names[f];
}

std::wstring UsageText() {
    std::wstring languages;
    for (const wchar_t* code : kLanguageCodes) languages += (languages.empty() ? L"" : L" ") + std::wstring(code);
    return L"Installer.exe [/quiet [/wifi] [/bluetooth] [/receiver] [/hotspot]] [/lang CODE] [/log FILE] [/?]\n"
           L"\n"
           L"/quiet      install without any window: the Wi-Fi driver, then the Bluetooth driver\n"
           L"/wifi /bluetooth /receiver /hotspot\n"
           L"            with /quiet: only these (as far as this build and Windows offer them)\n"
           L"/lang CODE  the language of the texts: " + languages + L"\n"
           L"/log FILE   the log file (default %TEMP%\\Installer_YYYYMMDD_HHMMSS.log)\n"
           L"/?          this text\n"
           L"\n"
           L"Exit codes: 0 done, 3010 done and a restart is needed, 1639 usage error,\n"
           L"12029 no connection, 577 package refused, 2 installer missing, 112 download not saved,\n"
           L"1603 an installer failed, 1223 elevation declined.\n";
}
