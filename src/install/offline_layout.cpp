#include "install/offline_layout.h"

#include <ctime>

#include "install/job_steps.h"
#include "sys/log.h"
#include "sys/text_util.h"
#include "sys/utf8.h"

namespace {

std::string JobName(const Feature& feature) { return WideToUtf8(feature.quietSwitch); }

std::string Described(const Feature& feature, const std::string& osValue) {
    return WideToUtf8(feature.name) + (osValue.empty() ? "" : " for " + osValue);
}

// A window nobody sees: the layout is made without one.
class CNoWindow : public IJobWindow {
public:
    void ShowProgress(Job, bool) override {}
    void SetProgress(Job, int) override {}
    void Tell(const Feature&, const JobOutcome&) override {}
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

}  // namespace

bool TakeFromLayout(const Feature& feature, IJobWindow& window, IJobSystem& system, const std::string& osValue,
                    Package& package) {
    const std::vector<LayoutEntry> entries = ReadLayoutManifest(system.ReadPackageList());
    if (entries.empty()) return false;
    const LayoutEntry* entry = FindLayoutEntry(entries, JobName(feature), osValue);
    if (!entry) {
        sys::Log("the offline layout has no package of the " + Described(feature, osValue));
        return false;
    }
    const std::string refusal = LayoutEntryRefusal(*entry);
    if (!refusal.empty()) {
        sys::Log("the offline layout's entry for the " + Described(feature, osValue) + " is refused: " + refusal);
        return false;
    }
    package.folder = system.CreateJobFolder();
    if (!package.folder) return false;
    package.name = Utf8ToWide(entry->file);
    window.ShowProgress(feature.job, true);
    std::unique_ptr<IHeldFile> copy = package.folder->CopyIn(
        system.LayoutFile(package.name), package.name, [&](int percent) { window.SetProgress(feature.job, percent); });
    window.ShowProgress(feature.job, false);
    std::string why = copy ? std::string() : "it could not be read";
    if (copy && copy->Size() != entry->size) why = "its size is " + std::to_string(copy->Size()) + ", not " +
                                                   std::to_string(entry->size);
    std::string reason;
    if (copy && why.empty() && !copy->HasSha256(entry->sha256, reason)) why = reason;
    copy.reset();
    if (!why.empty()) {
        sys::Log("the offline layout's " + entry->file + " is refused: " + why + "; asking the service instead");
        package.folder->Remove();
        package.folder.reset();
        return false;
    }
    sys::Log("taken from the offline layout: " + entry->file + " (" + entry->source + ")");
    package.answer.downloadUrl = entry->source;
    // Checked again on the handle that is unpacked or started, as a download's is.
    package.answer.hasSha256 = true;
    package.answer.sha256 = entry->sha256;
    return true;
}

JobOutcome LayOutPackage(const Feature& feature, const std::string& osValue, IJobSystem& system, ILayoutStore& store,
                         std::vector<LayoutEntry>& entries) {
    Package package;
    JobOutcome outcome = AskService(feature, system, osValue, package.answer);
    if (outcome.kind != Outcome::Done) return outcome;
    const LayoutEntry* existing = FindLayoutEntry(entries, JobName(feature), osValue);
    const bool held = existing && LayoutEntryRefusal(*existing).empty() &&
                      store.Holds(Utf8ToWide(existing->file), existing->size, existing->sha256);
    if (held && package.answer.hasSha256 && Lower(package.answer.sha256) == existing->sha256) {
        sys::Log("the layout holds the " + Described(feature, osValue) + " already: " + existing->file);
        return JobOutcome{};
    }
    CNoWindow window;
    outcome = DownloadPackage(feature, window, system, package);
    std::unique_ptr<IHeldFile> installer, file;
    if (outcome.kind == Outcome::Done) outcome = InstallerOfPackage(feature, system, package, installer);
    std::string reason;
    if (outcome.kind == Outcome::Done && !SignedByVendor(*installer, reason))
        outcome = Failed(Outcome::PackageRefused, reason);
    if (outcome.kind == Outcome::Done && !(file = package.folder->Hold(package.name)))
        outcome = Failed(Outcome::NotSaved, "the package is gone");
    if (outcome.kind == Outcome::Done) {
        LayoutEntry entry{JobName(feature), osValue, LayoutFileName(JobName(feature), osValue, WideToUtf8(package.name)),
                          file->Size(), file->Sha256(), package.answer.downloadUrl, UtcNow()};
        if (held && entry.sha256 == existing->sha256) {
            sys::Log("the layout holds the " + Described(feature, osValue) + " already: " + existing->file);
        } else if (store.Store(*file, Utf8ToWide(entry.file))) {
            sys::Log("stored in the layout: " + entry.file + ", sha256 " + entry.sha256);
            SetLayoutEntry(entries, entry);
        } else {
            outcome = Failed(Outcome::NotSaved, "the layout could not store " + entry.file);
        }
    }
    installer.reset();
    file.reset();
    if (package.folder) package.folder->Remove();
    return outcome;
}
