#include "quiet/layout_run.h"

#include "install/into_layout.h"
#include "install/package_steps.h"
#include "sys/file_rules.h"
#include "sys/utf8.h"

ExitCode RunLayout(const RunChoices& choices, IJobSystem& system, const LogFn& log) {
    sys::Result<std::unique_ptr<ILayoutStore>> opened = system.OpenLayoutStore(choices.layoutFolder);
    if (!opened) {
        if (opened.error == sys::error::kCantAccessFile) {
            log(L"the layout " + choices.layoutFolder + L" or its packages\\ is a link: nothing is written through it");
            return kExitLinkRefused;
        }
        log(L"the layout " + choices.layoutFolder + L" could not be made (error " + std::to_wstring(opened.error) + L")");
        return kExitNotSaved;
    }
    const std::unique_ptr<ILayoutStore> store = std::move(opened.value);
    LayoutRun run;
    // What others could have put there is no proof of anything: such a layout starts anew.
    const std::string others = store->OthersMayChange();
    if (others.empty())
        run.entries = KeptLayoutEntries(ReadLayoutManifest(store->ReadManifest()), *store);
    else
        log(L"the layout's earlier entries are not kept: its own security proves nothing (" + Utf8ToWide(others) + L")");
    std::vector<ExitCode> codes;
    for (const Job& job : kJobs) {
        if (!Chosen(choices, job) || !job.resource) continue;
        std::vector<std::string> values{std::string()};
        if (job.query) {
            values.clear();
            for (const ServiceOsRow& row : kServiceOsValues) values.push_back(row.value);
        }
        for (const std::string& os : values) {
            const std::wstring what = std::wstring(L"the ") + job.name + (os.empty() ? L"" : L" for " + Utf8ToWide(os));
            log(L"laying out " + what);
            const JobOutcome outcome = UnlessCancelled(system, LayOutPackage(job, os, system, *store, run));
            codes.push_back(ExitCodeOf(outcome));
            log(what + L": " + Utf8ToWide(Describe(outcome)) + L"; code " + std::to_wstring(codes.back()));
            if (outcome.kind == Outcome::Cancelled) break;
        }
        if (system.Cancelled()) break;
    }
    // What was proven so far stays usable: the manifest names it, cancelled or not.
    if (const sys::Status written = store->WriteManifest(WriteLayoutManifest(run.entries)); !written) {
        log(L"the layout's manifest could not be written (error " + std::to_wstring(written.error) + L")");
        codes.push_back(kExitNotSaved);
    }
    if (const sys::Status copied = store->CopyProgram(); !copied) {
        log(L"the program could not be copied into the layout (error " + std::to_wstring(copied.error) + L")");
        codes.push_back(copied.error == sys::error::kCantAccessFile ? kExitLinkRefused : kExitNotSaved);
    }
    return CombineExitCodes(codes);
}
