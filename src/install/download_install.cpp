#include "install/download_install.h"

#include "install/job_steps.h"
#include "install/offline_layout.h"
#include "install/package_steps.h"

JobOutcome InstallServicePackage(const Feature& feature, IJobWindow& window, IJobSystem& system) {
    Package package;
    const std::string os = OsValueFor(feature, system);
    JobOutcome outcome;
    if (!TakeFromLayout(feature, window, system, os, package)) {
        if (g_settings.offline)
            outcome = Failed(Outcome::NoPackageForWindows, "the layout has none for this Windows (offline: no service)");
        else if ((outcome = AskService(feature, system, os, package.answer)).kind == Outcome::Done)
            outcome = DownloadPackage(feature, window, system, package);
    }
    if (outcome.kind == Outcome::Done) {
        std::unique_ptr<IHeldFile> installer;
        outcome = InstallerOfPackage(feature, system, package, installer);
        if (outcome.kind == Outcome::Done)
            outcome = StartSignedInstaller(feature, *package.folder, system, *installer, package.started);
    }
    // A started installer runs from its folder; anything else is not kept.
    if (package.folder && !package.started) package.folder->Remove();
    return outcome;
}
