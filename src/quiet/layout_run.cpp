#include "quiet/layout_run.h"

#include "install/offline_layout.h"
#include "sys/utf8.h"

ExitCode RunLayout(const CommandLine& line, IJobSystem& system, const LogFn& log) {
    const std::unique_ptr<ILayoutStore> store = system.OpenLayoutStore(line.layoutFolder);
    if (!store) {
        log(L"the layout " + line.layoutFolder + L" could not be made");
        return kExitNotSaved;
    }
    std::vector<LayoutEntry> entries = ReadLayoutManifest(store->ReadList());
    std::vector<ExitCode> codes;
    for (const Feature& feature : kFeatures) {
        if (!Chosen(line, feature) || !feature.resource) continue;
        std::vector<std::string> values{std::string()};
        if (feature.query) values.assign(std::begin(kServiceOsValues), std::end(kServiceOsValues));
        for (const std::string& os : values) {
            const std::wstring job = std::wstring(L"the ") + feature.name + (os.empty() ? L"" : L" for " + Utf8ToWide(os));
            log(L"laying out " + job);
            const JobOutcome outcome = LayOutPackage(feature, os, system, *store, entries);
            codes.push_back(ExitCodeOf(outcome));
            log(job + L": " + Utf8ToWide(Describe(outcome)) + L"; code " + std::to_wstring(codes.back()));
        }
    }
    if (!store->WriteList(WriteLayoutManifest(entries))) {
        log(L"the layout's list could not be written");
        codes.push_back(kExitNotSaved);
    }
    if (!store->CopyProgram()) {
        log(L"the program could not be copied into the layout");
        codes.push_back(kExitNotSaved);
    }
    return CombineExitCodes(codes);
}
