#include "install/job_steps.h"

#include "sys/utf8.h"

bool SignedByVendor(IHeldFile& file, std::string& reason) {
    if (!g_settings.packageSigner.empty()) return file.SignedBy(g_settings.packageSigner, reason);
    reason = "this build names no signer";
    return g_settings.unsignedPackagesAllowed;
}

std::unique_ptr<IHeldFile> VerifiedCopy(IJobFolder& folder, IJobSystem& system, const std::wstring& relative,
                                        const std::wstring& name, ProgramCheck check, Outcome missing,
                                        JobOutcome& outcome) {
    std::unique_ptr<IHeldFile> copy = folder.CopyIn(system.AppPath(relative), name);
    if (!copy) {
        outcome = Failed(missing, WideToUtf8(relative) + " could not be read beside the installer");
        return nullptr;
    }
    std::string reason;
    if (!check(*copy, reason)) {
        outcome = Failed(Outcome::BundledProgramRefused, WideToUtf8(relative) + ": " + reason);
        return nullptr;
    }
    return copy;
}

JobOutcome OutcomeOfRun(const ProcessOutcome& run, const std::string& what) {
    if (!run.started) return Failed(Outcome::InstallerMissing, what + " could not be started", run.error);
    if (run.running) return JobOutcome{};
    if (run.timedOut) return Failed(Outcome::InstallerTimedOut, what + " ran too long and was ended");
    // An exit code that could not be read is no proof of success.
    if (!run.exitCodeRead) return Failed(Outcome::InstallerFailed, "the exit code of " + what + " could not be read");
    if (run.exitCode == 0) return JobOutcome{};
    if (run.exitCode == 3010 || run.exitCode == 1641) return {Outcome::RestartNeeded, run.exitCode, what};
    return Failed(Outcome::InstallerFailed, what + " failed", run.exitCode);
}

JobOutcome StartSignedInstaller(const Feature& feature, IJobFolder& folder, IJobSystem& system, IHeldFile& installer,
                                bool& started) {
    std::string reason;
    if (!SignedByVendor(installer, reason)) return Failed(Outcome::PackageRefused, reason);
    const ProcessOutcome run = system.StartInstaller(installer, SilentArguments(feature));
    started = run.started;
    if (started) folder.NoteStarted(run);
    return OutcomeOfRun(run, WideToUtf8(installer.Path()));
}
