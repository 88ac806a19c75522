#include "quiet/switches.h"

#include "i18n/catalogue.h"
#include "install/jobs.h"
#include "sys/text_util.h"

namespace {

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

std::wstring TakeQuiet(RunChoices& run, const std::wstring&) { run.quiet = true; return L""; }
std::wstring TakePassive(RunChoices& run, const std::wstring&) { run.passive = true; return L""; }
std::wstring TakeLayout(RunChoices& run, const std::wstring& value) { run.layoutFolder = value; return L""; }
std::wstring TakeSource(RunChoices& run, const std::wstring& value) { run.sourceFolder = value; return L""; }
std::wstring TakeOffline(RunChoices& run, const std::wstring&) { run.offline = true; return L""; }
std::wstring TakeLog(RunChoices& run, const std::wstring& value) { run.logFile = value; return L""; }
std::wstring TakeHelp(RunChoices& run, const std::wstring&) { run.help = true; return L""; }
std::wstring TakeDetect(RunChoices& run, const std::wstring&) { run.detect = true; return L""; }

std::wstring TakeProxy(RunChoices& run, const std::wstring& value) {
    run.proxy = value;
    return IsProxyAddress(value) ? L"" : L"not a proxy's HOST:PORT: " + value;
}

std::wstring TakeLanguage(RunChoices& run, const std::wstring& value) {
    run.language = SectionNamed(value);
    return run.language.empty() ? L"unknown language " + value : L"";
}

}  // namespace

const std::array<Switch, 11> kSwitches = {{
    {L"quiet", nullptr, nullptr, true, false, false, false,
     L"install without any window: the {jobs}",
     "install without a window", TakeQuiet},
    {L"passive", nullptr, nullptr, true, false, false, true,
     L"the same, in the window with its progress bars; it closes itself when done",
     "install in the window, which starts the jobs itself, asks nothing and closes itself; not with `/quiet`",
     TakePassive},
    {L"", nullptr, nullptr, true, true, true, false,
     L"with /quiet, /passive, /layout or /detect: only these (as far as Windows offers them)",
     "with `/quiet` or `/passive`: only these; with `/layout`: only their packages; with `/detect`: only their "
     "devices; one the build does not offer is a usage error",
     nullptr},
    {L"layout", L"DIR", L"a folder", false, true, false, false,
     L"download every package for every Windows, check it as an install would\n"
     L"and store it in DIR\\packages with DIR\\packages\\manifest.json; the program too",
     "no window: fill the offline layout `DIR` (see below); not with `/quiet`, `/passive`, `/source` or `/offline`",
     TakeLayout},
    {L"source", L"DIR", L"a folder", true, false, false, false,
     L"the offline layout in DIR (default: beside the program), used when the\n"
     L"service names the same package, or it is not reached and the layout is pinned\n"
     L"in this program or only administrators can change it",
     "the offline layout in `DIR` (default: the folder of `Installer.exe`), used when something vouches for it "
     "(see below; window and quiet)",
     TakeSource},
    {L"offline", nullptr, nullptr, true, false, false, false,
     L"never ask the device service: only the layout",
     "never ask the device service: a job without a vouched-for layout package ends as \"no package for this "
     "Windows\" (window and quiet)",
     TakeOffline},
    {L"proxy", L"HOST:PORT", L"HOST:PORT", true, true, false, false,
     L"every request through this proxy (unattended: else the machine's)",
     "every request through this proxy, instead of the one Windows or the user sets (window and unattended)",
     TakeProxy},
    {L"lang", L"CODE", L"a language code", true, true, false, false,
     L"the language of the texts: {languages}",
     "the texts' language: `{languages}` (window and quiet)", TakeLanguage},
    {L"log", L"FILE", L"a file name", true, true, true, false,
     L"the log file (default %ProgramData%\\MRL7300\\logs\\Installer_YYYYMMDD_HHMMSS.log)",
     "the log file instead of the default one", TakeLog},
    {L"detect", nullptr, nullptr, false, false, true, false,
     L"install nothing: exit 0, and say so on the standard output, when every job's\n"
     L"adapter function has its driver without a problem (a deployment tool's detection)",
     "install nothing, ask no service: exit 0 and write one line to the standard output when every job's adapter "
     "function has its driver, without a problem; else the exit code says what it lacks (see below)",
     TakeDetect},
    {L"?", nullptr, nullptr, false, false, false, false,
     L"this text",
     "the usage: on the caller's standard output or console, else in a message box", TakeHelp},
}};

const Switch* SwitchNamed(const std::wstring& name) {
    if (name.empty()) return nullptr;
    for (const Switch& row : kSwitches)
        if (name == row.name) return &row;
    return nullptr;
}

std::wstring SwitchHead(const Switch& row, const wchar_t* separator) {
    if (*row.name) return L"/" + std::wstring(row.name) + (row.value ? L" " + std::wstring(row.value) : L"");
    std::wstring head;
    for (const Job& job : kJobs)
        if (Offered(job)) head += (head.empty() ? L"/" : separator + std::wstring(L"/")) + job.quietSwitch;
    return head;
}
