#include "install/into_layout.h"

#include <ctime>

#include "install/job_steps.h"
#include "sys/log.h"
#include "sys/text_util.h"
#include "sys/utf8.h"

namespace {

std::string JobName(const Job& job) { return WideToUtf8(job.quietSwitch); }

std::string Described(const Job& job, const std::string& osValue) {
    return WideToUtf8(job.name) + (osValue.empty() ? "" : " for " + osValue);
}

// A window nobody sees: the layout is made without one.
class CNoWindow : public IJobWindow {
public:
    void Report(const JobProgress&) override {}
    void Tell(const Job&, const JobOutcome&) override {}
    bool ShowsProgress() const override { return false; }
};

std::string UtcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm utc = {};
#ifdef _WIN32
    gmtime_s(&utc, &now);
#else
    gmtime_r(&now, &utc);
#endif
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

// An entry of this job whose file the layout holds with the hash the service names.
const LayoutEntry* HeldWithHash(const std::vector<LayoutEntry>& entries, const std::string& job,
                                const ServiceAnswer& answer) {
    if (!answer.hasSha256) return nullptr;
    for (const LayoutEntry& entry : entries)
        if (entry.job == job && entry.sha256 == Lower(answer.sha256)) return &entry;
    return nullptr;
}

// The same package for this job and Windows: the entry names its file.
JobOutcome Reuse(const Job& job, const std::string& osValue, const LayoutEntry& held,
                 const std::string& source, LayoutRun& run) {
    sys::Log("the layout holds the " + Described(job, osValue) + " already: " + held.file);
    SetLayoutEntry(run.entries, {JobName(job), osValue, held.file, held.size, held.sha256, source, UtcNow()});
    return JobOutcome{};
}

// Downloads and proves the package; the held file of it, or null with the outcome.
std::unique_ptr<IHeldFile> ProvenPackage(const Job& job, IJobSystem& system, Package& package,
                                         JobOutcome& outcome) {
    CNoWindow window;
    outcome = DownloadPackage(job, window, system, package);
    std::unique_ptr<IHeldFile> installer, file;
    if (outcome.kind == Outcome::Done) outcome = InstallerOfPackage(job, window, system, package, installer);
    std::string reason;
    if (outcome.kind == Outcome::Done && !SignedByVendor(*installer, reason))
        outcome = Failed(Outcome::PackageRefused, reason);
    if (outcome.kind == Outcome::Done && !(file = package.folder->Hold(package.name)))
        outcome = Failed(Outcome::NotSaved, "the package is gone");
    return outcome.kind == Outcome::Done ? std::move(file) : nullptr;
}

}  // namespace

std::vector<LayoutEntry> KeptLayoutEntries(const std::vector<LayoutEntry>& entries, ILayoutStore& store) {
    std::vector<LayoutEntry> kept;
    for (const LayoutEntry& entry : entries) {
        std::string refusal = LayoutEntryRefusal(entry);
        if (refusal.empty() && !store.Holds(Utf8ToWide(entry.file), entry.size, entry.sha256))
            refusal = "its file is not there as a plain file with that size and sha256";
        if (refusal.empty()) SetLayoutEntry(kept, entry);
        else sys::Log("the layout's entry for " + entry.job + " " + entry.windows + " is dropped: " + refusal);
    }
    return kept;
}

JobOutcome LayOutPackage(const Job& job, const std::string& osValue, IJobSystem& system, ILayoutStore& store,
                         LayoutRun& run) {
    Package package;
    CNoWindow window;
    JobOutcome outcome = AskService(job, window, system, osValue, package.answer);
    if (outcome.kind != Outcome::Done) return outcome;
    const std::string& source = package.answer.downloadUrl;
    if (const LayoutEntry* held = HeldWithHash(run.entries, JobName(job), package.answer))
        return Reuse(job, osValue, *held, source, run);
    const std::string key = JobName(job) + " " + source;
    const auto stored = run.storedFrom.find(key);
    if (stored != run.storedFrom.end() &&
        (!package.answer.hasSha256 || Lower(package.answer.sha256) == stored->second.sha256))
        return Reuse(job, osValue, stored->second, source, run);

    std::unique_ptr<IHeldFile> file = ProvenPackage(job, system, package, outcome);
    if (file) {
        const std::string sha256 = file->Sha256();
        const LayoutEntry entry{JobName(job), osValue, LayoutFileName(JobName(job), sha256, WideToUtf8(package.name)),
                                file->Size(), sha256, source, UtcNow()};
        if (store.Holds(Utf8ToWide(entry.file), entry.size, entry.sha256)) {
            sys::Log("the layout holds the " + Described(job, osValue) + " already: " + entry.file);
        } else if (const sys::Status kept = store.Store(*file, Utf8ToWide(entry.file))) {
            sys::Log("stored in the layout: " + entry.file + ", sha256 " + entry.sha256);
        } else {
            outcome = Failed(Outcome::NotSaved, "the layout could not store " + entry.file, kept.error);
        }
        if (outcome.kind == Outcome::Done) {
            SetLayoutEntry(run.entries, entry);
            run.storedFrom[key] = entry;
        }
    }
    file.reset();
    if (package.folder) package.folder->Remove();
    return outcome;
}
