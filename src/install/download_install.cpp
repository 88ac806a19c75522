#include "install/download_install.h"

#include "install/from_layout.h"
#include "install/job_steps.h"
#include "install/package_steps.h"

namespace {

// The package into a job folder of its own: while the service answers, it
// decides (an offline layout holding the package it names saves the
// download); when it is not asked or cannot be reached, a layout that
// something else vouches for stands in.
JobOutcome FetchPackage(const Job& job, IJobWindow& window, IJobSystem& system, const std::string& os,
                        Package& package) {
    if (g_settings.run.offline) {
        if (TakeFromLayout(job, window, system, os, nullptr, package)) return JobOutcome{};
        return Failed(Outcome::NoPackageForWindows, "the layout has none usable for this Windows (offline: no service)");
    }
    const JobOutcome asked = AskService(job, window, system, os, package.answer);
    if (system.Cancelled()) return Failed(Outcome::Cancelled, "while asking the service");
    if (asked.kind == Outcome::Done) {
        if (TakeFromLayout(job, window, system, os, &package.answer, package)) return JobOutcome{};
        return DownloadPackage(job, window, system, package);
    }
    if (asked.kind != Outcome::NoPackageForWindows && asked.kind != Outcome::Cancelled &&
        TakeFromLayout(job, window, system, os, nullptr, package))
        return JobOutcome{};
    return asked;
}

}  // namespace

JobOutcome InstallServicePackage(const Job& job, IJobWindow& window, IJobSystem& system) {
    Package package;
    JobOutcome outcome = FetchPackage(job, window, system, OsValueFor(job, system), package);
    if (outcome.kind == Outcome::Done) {
        std::unique_ptr<IHeldFile> installer;
        outcome = InstallerOfPackage(job, window, system, package, installer);
        if (outcome.kind == Outcome::Done)
            outcome = StartSignedInstaller(job, window, *package.folder, system, *installer, package.started);
    }
    outcome = UnlessCancelled(system, outcome);
    // A started installer runs from its folder; anything else is not kept.
    if (package.folder && !package.started) package.folder->Remove();
    return outcome;
}
