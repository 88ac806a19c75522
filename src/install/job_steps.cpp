#include "install/job_steps.h"

#include "install/installer_command.h"
#include "sys/file_rules.h"
#include "sys/log.h"
#include "sys/utf8.h"

namespace {

// What a delivered program that could not be had comes to: missing, refused
// (a link, a second name), or a disk that has no room for its copy.
Outcome OutcomeOfCopyError(unsigned long error, Outcome missing) {
    switch (error) {
    case sys::error::kCantAccessFile:
    case sys::error::kTooManyLinks: return Outcome::BundledProgramRefused;
    case sys::error::kDiskFull:
    case sys::error::kHandleDiskFull: return Outcome::NotSaved;
    default: return missing;
    }
}

}  // namespace

bool SignedByVendor(IHeldFile& file, std::string& reason) {
    if (!g_settings.packageSigner.empty()) return file.SignedBy(g_settings.packageSigner, reason);
    reason = "this build names no signer";
    return g_settings.unsignedPackagesAllowed;
}

std::unique_ptr<IHeldFile> VerifiedCopy(IJobFolder& folder, IJobSystem& system, const std::wstring& relative,
                                        const std::wstring& name, const ProgramCheck& check, Outcome missing,
                                        JobOutcome& outcome) {
    sys::Result<std::unique_ptr<IHeldFile>> copy;
    if (sys::Result<std::unique_ptr<IReadableFile>> source = system.OpenDelivered(relative))
        copy = folder.CopyIn(*source.value, name, kAnySize, nullptr);
    else
        copy.error = source.error;
    if (!copy) {
        outcome = Failed(OutcomeOfCopyError(copy.error, missing),
                         WideToUtf8(relative) + " could not be read beside the installer as a plain file", copy.error);
        return nullptr;
    }
    std::string reason;
    if (!check(*copy.value, reason)) {
        outcome = Failed(Outcome::BundledProgramRefused, WideToUtf8(relative) + ": " + reason);
        return nullptr;
    }
    return std::move(copy.value);
}

JobOutcome OutcomeOfRun(const ProcessRun& run, const std::string& what) {
    if (!run.started) return Failed(Outcome::InstallerMissing, what + " could not be started", run.error);
    if (run.cancelled) return Failed(Outcome::Cancelled, what + (run.running ? " runs on, no longer waited for" : " was ended"));
    if (run.running) return JobOutcome{};
    if (run.timedOut) return Failed(Outcome::InstallerTimedOut, what + " ran too long and was ended");
    // An exit code that could not be read is no proof of success.
    if (!run.exitCodeRead) return Failed(Outcome::InstallerFailed, "the exit code of " + what + " could not be read");
    if (run.exitCode == 0) return JobOutcome{};
    if (run.exitCode == kExitRestartNeeded) return {Outcome::RestartNeeded, run.exitCode, what};
    if (run.exitCode == kExitRestartStarted) return {Outcome::RestartStarted, run.exitCode, what};
    if (run.exitCode == kExitInstallInProgress)
        return Failed(Outcome::InstallInProgress, what + " found another installation in progress", run.exitCode);
    return Failed(Outcome::InstallerFailed, what + " failed", run.exitCode);
}

JobOutcome StartSignedInstaller(const Job& job, IJobWindow& window, IJobFolder& folder, IJobSystem& system,
                                IHeldFile& installer, bool& started) {
    std::string reason;
    window.Report({job.id, JobPhase::Checking, {}});
    if (!SignedByVendor(installer, reason)) return Failed(Outcome::PackageRefused, reason);
    // Nothing is started once the user has cancelled; what starts is never touched again.
    if (system.Cancelled()) return Failed(Outcome::Cancelled, "before the installer was started");
    // Windows Installer remembers where a package came from and reads it again
    // for a repair or change: it must not be a job folder that a later run removes.
    std::unique_ptr<IHeldFile> kept;
    if (HowStartedOf(installer.Path()) == HowStarted::ThroughMsiexec) {
        // One that needs cabinets beside it would fail halfway, or ask for a disk.
        const std::string refusal = MsiSourceRefusal(installer.WindowsInstallerMedia());
        if (!refusal.empty()) return Failed(Outcome::PackageRefused, WideToUtf8(installer.Path()) + ": " + refusal);
        sys::Result<std::unique_ptr<IHeldFile>> cached = folder.KeepInPackageCache(installer, installer.Sha256());
        kept = std::move(cached.value);
        if (kept) sys::Log(L"kept as the package's lasting source: " + kept->Path());
        else sys::Log(L"could not keep a lasting source of the package (error " + std::to_wstring(cached.error) +
                      L"): it starts from the job folder, and a later repair may ask for it");
    }
    window.Report({job.id, JobPhase::Starting, {}});
    // A setup not waited for is looked after when it ends: only what needs doing is told then.
    const auto whenEnded = [&job, &window](const DeviceLook& look) {
        const JobOutcome after = OutcomeAfterSetup(JobOutcome{}, look);
        sys::Log(std::wstring(L"the ") + job.name + L"'s setup has ended; the device: " + DescribeLook(look));
        if (after.kind != Outcome::Done) window.Tell(job, after);
    };
    const ProcessRun run = system.StartInstaller(kept ? *kept : installer, SilentArguments(job), folder.TempPath(),
                                                 DeviceIdsOf(job), whenEnded);
    started = run.started;
    if (started) folder.NoteStarted(run.program);
    if (run.running) window.Report({job.id, JobPhase::Started, {}});
    return CheckedDevice(job, system, OutcomeOfRun(run, WideToUtf8(installer.Path())), run);
}

JobOutcome CheckedDevice(const Job& job, IJobSystem& system, const JobOutcome& setup, const ProcessRun& run) {
    const bool endedWell = setup.kind == Outcome::Done || setup.kind == Outcome::RestartNeeded;
    if (!run.exitCodeRead || !endedWell || DeviceIdsOf(job).empty()) return setup;
    const DeviceLook look = system.LookAtDevice(DeviceIdsOf(job));
    sys::Log(std::wstring(L"the ") + job.name + L"'s device after its setup: " + DescribeLook(look));
    return OutcomeAfterSetup(setup, look);
}
