#include "quiet/exit_code.h"

ExitCode ExitCodeOf(const JobOutcome& outcome) {
    switch (outcome.kind) {
    case Outcome::Done: return kExitDone;
    case Outcome::RestartNeeded: return kExitRestartNeeded;
    case Outcome::NoConnection:
    case Outcome::SecureChannelFailed: return kExitNoConnection;
    case Outcome::ServiceFailed: return kExitServiceFailed;
    case Outcome::PackageRefused:
    case Outcome::BundledProgramRefused: return kExitPackageRefused;
    case Outcome::NoPackageForWindows:
    case Outcome::InstallerMissing: return kExitInstallerMissing;
    case Outcome::NotSaved: return kExitNotSaved;
    case Outcome::ArchiverFailed: return kExitNotUnpacked;
    case Outcome::InstallerTimedOut: return kExitInstallerTimedOut;
    case Outcome::InstallerFailed: break;
    }
    return kExitInstallerFailed;
}

ExitCode CombineExitCodes(const std::vector<ExitCode>& jobs) {
    bool restart = false;
    for (ExitCode code : jobs) {
        if (code == kExitRestartNeeded) restart = true;
        else if (code != kExitDone) return code;
    }
    return restart ? kExitRestartNeeded : kExitDone;
}
