#include "install/wifi_install.h"

#include "install/job_steps.h"

namespace {

// A copy the user's own processes cannot change, signed by the vendor, with
// its own folder as its DLL folder: not the file in a folder anyone may write.
JobOutcome RunWifiSetup(const Job& job, IJobFolder& folder, IJobSystem& system) {
    JobOutcome refused;
    const std::unique_ptr<IHeldFile> setup = VerifiedCopy(folder, system, L"data\\WifiAutoInstallSetup.exe",
                                                          L"WifiAutoInstallSetup.exe", SignedByVendor,
                                                          Outcome::InstallerMissing, refused);
    if (!setup) return refused;
    // Unattended, nobody ends a setup program that waits for a click.
    const unsigned long limit = g_settings.run.unattended ? g_settings.installerTimeoutMs : 0;
    const ProcessRun run = system.RunAndWait(*setup, SilentArguments(job), limit, true, folder.TempPath());
    return CheckedDevice(job, system, OutcomeOfRun(run, "the Wi-Fi setup program"), run);
}

}  // namespace

JobOutcome InstallWifiDriver(const Job& job, IJobWindow&, IJobSystem& system) {
    const std::unique_ptr<IJobFolder> folder = system.CreateJobFolder();
    if (!folder) return Failed(Outcome::NotSaved, "no job folder could be made in the work folder");
    const JobOutcome outcome = RunWifiSetup(job, *folder, system);
    folder->Remove();  // it was waited for
    return outcome;
}
