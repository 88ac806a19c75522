#include "quiet/command_line.h"

#include <algorithm>

#include "i18n/catalogue.h"
#include "install/job_outcome.h"
#include "sys/text_util.h"

namespace {

bool IsSwitch(const std::wstring& argument) {
    return argument.size() > 1 && (argument[0] == L'/' || argument[0] == L'-');
}

// The catalogue section a /lang value names, or "" when it names none.
std::wstring SectionNamed(const std::wstring& value) {
    for (const wchar_t* code : kLanguageCodes)
        if (Lower(value) == code) return code;
    return L"";
}

// "host:port" (or "[::1]:port"): no scheme, no spaces, a port of digits.
bool IsProxyAddress(const std::wstring& value) {
    const std::size_t colon = value.find_last_of(L':');
    if (colon == 0 || colon == std::wstring::npos || colon + 1 == value.size() || value.size() > 255) return false;
    for (std::size_t i = colon + 1; i < value.size(); ++i)
        if (value[i] < L'0' || value[i] > L'9') return false;
    for (wchar_t c : value.substr(0, colon))
        if (c <= L' ' || c == L'/' || c == L'@') return false;
    return true;
}

bool AnyChosen(const CommandLine& line) {
    for (bool chosen : line.chosen)
        if (chosen) return true;
    return false;
}

std::wstring JobSwitches(const wchar_t* separator, bool optional) {
    std::wstring text;
    for (const Job& job : kJobs)
        if (Offered(job))
            text += (text.empty() ? L"" : separator) + std::wstring(optional ? L"[/" : L"/") + job.quietSwitch +
                    (optional ? L"]" : L"");
    return text;
}

// "  12029  no connection ...", one line per code, the README's words without its marks.
std::wstring ExitCodeLines() {
    std::wstring lines;
    for (const ExitCodeRow& row : kExitCodes) {
        std::wstring code = std::to_wstring(row.code);
        code.resize(std::max<std::size_t>(code.size(), 5), L' ');
        std::wstring meaning;
        for (const char* c = row.meaning; *c; ++c)
            if (*c != '`') meaning += static_cast<wchar_t>(static_cast<unsigned char>(*c));
        lines += L"  " + code + L"  " + meaning + L"\n";
    }
    return lines;
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
        if (name == L"quiet") {
            line.quiet = true;
        } else if (name == L"passive") {
            line.passive = true;
        } else if (name == L"offline") {
            line.offline = true;
        } else if (name == L"?") {
            line.help = true;
        } else if (const Job* job = JobBySwitch(name)) {
            line.chosen[static_cast<int>(job->id)] = true;
            if (!Offered(*job)) fail(L"this build does not offer " + argument);
        } else if (name == L"lang" || name == L"log" || name == L"layout" || name == L"source" || name == L"proxy") {
            if (!hasValue) {
                fail(argument + (name == L"lang"    ? L" needs a language code"
                                 : name == L"log"   ? L" needs a file name"
                                 : name == L"proxy" ? L" needs HOST:PORT"
                                                    : L" needs a folder"));
                continue;
            }
            const std::wstring& value = arguments[++i];
            if (value.empty() && name != L"lang") fail(argument + L" needs a value that is not empty");
            if (name == L"log") {
                line.logFile = value;
            } else if (name == L"layout") {
                line.layoutFolder = value;
            } else if (name == L"source") {
                line.sourceFolder = value;
            } else if (name == L"proxy") {
                line.proxy = value;
                if (!IsProxyAddress(value)) fail(L"not a proxy's HOST:PORT: " + value);
            } else {
                line.language = SectionNamed(value);
                if (line.language.empty()) fail(L"unknown language " + value);
            }
        } else {
            fail(L"unknown switch " + argument);
        }
    }
    const bool layout = !line.layoutFolder.empty();
    if (AnyChosen(line) && !line.quiet && !line.passive && !layout && !line.help)
        fail(JobSwitches(L", ", false) + L" need /quiet, /passive or /layout");
    if (line.quiet && line.passive) fail(L"/quiet shows nothing, /passive shows the window: one or the other");
    if (layout && (line.quiet || line.passive || line.offline || !line.sourceFolder.empty()))
        fail(L"/layout fills a layout: it takes no /quiet, /passive, /offline or /source");
    if ((layout || !line.sourceFolder.empty()) && g_settings.packageSigner.empty())
        fail(L"this build names no package signer: it neither makes nor uses an offline layout");
    return line;
}

bool Chosen(const CommandLine& line, const Job& job) {
    return Offered(job) && (!AnyChosen(line) || line.chosen[static_cast<int>(job.id)]);
}

bool DesktopVisible(const DesktopFacts& facts) {
    if (facts.sessionRead && facts.session == 0) return false;
    return !facts.stationRead || facts.stationVisible;
}

RunMode ModeOf(const CommandLine& line, bool desktopVisible) {
    if (!line.layoutFolder.empty()) return RunMode::Layout;
    if (line.quiet || !desktopVisible) return RunMode::Quiet;
    return line.passive ? RunMode::Passive : RunMode::Window;
}

std::wstring UsageText() {
    std::wstring languages, jobs;
    for (const wchar_t* code : kLanguageCodes) languages += (languages.empty() ? L"" : L" ") + std::wstring(code);
    for (const Job& job : kJobs)
        if (Offered(job)) jobs += (jobs.empty() ? L"" : L", then the ") + std::wstring(job.name);
    return L"Installer.exe [/quiet | /passive] " + JobSwitches(L" ", true) +
           L" [/source DIR] [/offline] [/proxy HOST:PORT] [/lang CODE] [/log FILE]\n"
           L"Installer.exe /layout DIR [" + JobSwitches(L"] [", false) + L"] [/proxy HOST:PORT] [/lang CODE] [/log FILE]\n"
           L"Installer.exe /?\n"
           L"\n"
           L"/quiet      install without any window: the " + jobs + L"\n"
           L"/passive    the same, in the window with its progress bars; it closes itself when done\n" +
           JobSwitches(L" ", false) + L"\n"
           L"            with /quiet, /passive or /layout: only these (as far as Windows offers them)\n"
           L"/layout DIR download every package for every Windows, check it as an install would\n"
           L"            and store it in DIR\\packages with DIR\\packages\\manifest.json; the program too\n"
           L"/source DIR the offline layout in DIR (default: beside the program), used when the\n"
           L"            service names the same package, or it is not reached and the layout is pinned\n"
           L"            in this program or only administrators can change it\n"
           L"/offline    never ask the device service: only the layout\n"
           L"/proxy HOST:PORT  every request through this proxy (unattended: else the machine's)\n"
           L"/lang CODE  the language of the texts: " + languages + L"\n"
           L"/log FILE   the log file (default %ProgramData%\\MRL7300\\logs\\Installer_YYYYMMDD_HHMMSS.log)\n"
           L"/?          this text\n"
           L"\n"
           L"Exit codes:\n" + ExitCodeLines();
}
