#include "quiet/command_line.h"

#include <algorithm>

#include "i18n/catalogue.h"
#include "install/job_outcome.h"
#include "quiet/switches.h"
#include "sys/text_util.h"

namespace {

bool IsSwitch(const std::wstring& argument) {
    return argument.size() > 1 && (argument[0] == L'/' || argument[0] == L'-');
}

bool AnyChosen(const RunChoices& run) {
    for (bool chosen : run.chosen)
        if (chosen) return true;
    return false;
}

std::wstring Replaced(std::wstring text, const std::wstring& what, const std::wstring& with) {
    for (std::size_t at = text.find(what); at != std::wstring::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

// Switch names, "/quiet, /passive or /source", of the rows that pass.
std::wstring NamesOf(bool (*passes)(const Switch&)) {
    std::vector<std::wstring> names;
    for (const Switch& row : kSwitches)
        if (*row.name && passes(row)) names.push_back(L"/" + std::wstring(row.name));
    std::wstring text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? L"" : i + 1 == names.size() ? L" or " : L", ") + names[i];
    return text;
}

bool InstallOnly(const Switch& row) { return row.install && !row.layout; }

bool IsLayoutRow(const Switch& row) { return std::wstring(row.name) == L"layout"; }
bool IsDetectRow(const Switch& row) { return std::wstring(row.name) == L"detect"; }
bool NotWithDetect(const Switch& row) { return !row.detect && (row.install || row.layout); }

const Switch& JobsRow() {
    for (const Switch& row : kSwitches)
        if (!*row.name) return row;
    return kSwitches[0];
}

enum class Synopsed { Install, Layout, Detect };

// "[/quiet | /passive] [/wifi] [/bluetooth] ...": every switch the mode takes, each optional.
std::wstring Synopsis(Synopsed mode) {
    std::wstring text;
    for (const Switch& row : kSwitches) {
        const bool taken = mode == Synopsed::Layout ? row.layout : mode == Synopsed::Detect ? row.detect : row.install;
        if (!taken || IsLayoutRow(row) || IsDetectRow(row) || SwitchHead(row, L"").empty()) continue;
        const std::wstring head = L"[" + SwitchHead(row, L"] [") + L"]";
        if (row.orPrevious && !text.empty())
            text.insert(text.size() - 1, L" | " + head.substr(1, head.size() - 2));
        else
            text += L" " + head;
    }
    return text;
}

// The usage's lines for a row: its head, then what it does in the second column.
std::wstring UsageLines(const Switch& row, const std::wstring& jobs, const std::wstring& languages) {
    constexpr std::size_t kColumn = 12;
    const std::wstring indent(kColumn, L' ');
    std::wstring head = SwitchHead(row, L" ");
    if (head.size() < kColumn) head.resize(kColumn, L' ');
    else head += head.size() > 16 ? L"\n" + indent : L"  ";
    const std::wstring text = Replaced(Replaced(row.usage, L"{jobs}", jobs), L"{languages}", languages);
    return head + Replaced(text, L"\n", L"\n" + indent) + L"\n";
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

RunChoices ParseCommandLine(const std::vector<std::wstring>& arguments) {
    RunChoices run;
    const auto fail = [&run](const std::wstring& why) {
        if (run.error.empty()) run.error = why;
    };
    std::vector<const Switch*> given;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (!IsSwitch(argument)) {
            fail(L"unexpected argument " + argument);
            continue;
        }
        const std::wstring name = Lower(argument.substr(1));
        if (const Job* job = JobBySwitch(name)) {
            run.chosen[JobIndex(job->id)] = true;
            if (!Offered(*job)) fail(L"this build does not offer " + argument);
            continue;
        }
        const Switch* row = SwitchNamed(name);
        if (!row) {
            fail(L"unknown switch " + argument);
            continue;
        }
        given.push_back(row);
        std::wstring value;
        if (row->value) {
            if (i + 1 == arguments.size() || IsSwitch(arguments[i + 1])) {
                fail(argument + L" needs " + row->needs);
                continue;
            }
            value = arguments[++i];
            if (value.empty()) fail(argument + L" needs a value that is not empty");
        }
        const std::wstring refusal = row->Take(run, value);
        if (!refusal.empty()) fail(refusal);
    }
    const bool layout = !run.layoutFolder.empty();
    if (AnyChosen(run) && !run.quiet && !run.passive && !layout && !run.detect && !run.help)
        fail(SwitchHead(JobsRow(), L", ") + L" need /quiet, /passive, /layout or /detect");
    for (const Switch* row : given)
        if (run.detect && NotWithDetect(*row)) fail(L"/detect installs nothing: it takes no " + NamesOf(NotWithDetect));
    if (run.quiet && run.passive) fail(L"/quiet shows nothing, /passive shows the window: one or the other");
    for (const Switch* row : given)
        if (layout && InstallOnly(*row)) fail(L"/layout fills a layout: it takes no " + NamesOf(InstallOnly));
    if ((layout || !run.sourceFolder.empty()) && g_settings.packageSigner.empty())
        fail(L"this build names no package signer: it neither makes nor uses an offline layout");
    return run;
}

bool Chosen(const RunChoices& run, const Job& job) {
    return Offered(job) && (!AnyChosen(run) || run.chosen[JobIndex(job.id)]);
}

bool DesktopVisible(const DesktopFacts& facts) {
    if (facts.sessionRead && facts.session == 0) return false;
    return !facts.stationRead || facts.stationVisible;
}

RunMode ModeOf(const RunChoices& run, bool desktopVisible) {
    if (run.detect) return RunMode::Detect;
    if (!run.layoutFolder.empty()) return RunMode::Layout;
    if (run.quiet || !desktopVisible) return RunMode::Quiet;
    return run.passive ? RunMode::Passive : RunMode::Window;
}

RunChoices ChooseRun(const std::vector<std::wstring>& arguments, bool desktopVisible) {
    RunChoices run = ParseCommandLine(arguments);
    run.mode = ModeOf(run, desktopVisible);
    run.unattended = Unattended(run.mode);
    run.httpLibrary = run.unattended ? HttpLibrary::WinHttp : HttpLibrary::WinInet;
    return run;
}

std::wstring UsageText() {
    std::wstring languages, jobs;
    for (const wchar_t* code : kLanguageCodes) languages += (languages.empty() ? L"" : L" ") + std::wstring(code);
    for (const Job& job : kJobs)
        if (Offered(job)) jobs += (jobs.empty() ? L"" : L", then the ") + std::wstring(job.name);
    std::wstring text = L"Installer.exe" + Synopsis(Synopsed::Install) + L"\n";
    for (const Switch& row : kSwitches) {
        if (IsLayoutRow(row)) text += L"Installer.exe " + SwitchHead(row, L"") + Synopsis(Synopsed::Layout) + L"\n";
        if (IsDetectRow(row)) text += L"Installer.exe " + SwitchHead(row, L"") + Synopsis(Synopsed::Detect) + L"\n";
    }
    text += L"Installer.exe /?\n\n";
    for (const Switch& row : kSwitches) text += UsageLines(row, jobs, languages);
    return text + L"\nExit codes:\n" + ExitCodeLines();
}
