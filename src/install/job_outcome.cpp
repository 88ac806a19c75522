#include "install/job_outcome.h"

const char* OutcomeName(Outcome kind) {
    switch (kind) {
    case Outcome::Done: return "done";
    case Outcome::RestartNeeded: return "done, a restart is needed";
    case Outcome::NoConnection: return "no connection";
    case Outcome::NoPackageForWindows: return "no package for this Windows";
    case Outcome::SecureChannelFailed: return "the secure connection failed";
    case Outcome::ServiceFailed: return "the device service failed";
    case Outcome::NotSaved: return "not saved";
    case Outcome::PackageRefused: return "package refused";
    case Outcome::BundledProgramRefused: return "a program beside the installer was refused";
    case Outcome::InstallerMissing: return "installer missing";
    case Outcome::ArchiverFailed: return "the package could not be unpacked";
    case Outcome::InstallerFailed: return "the installer failed";
    case Outcome::InstallerTimedOut: return "the installer ran too long and was ended";
    }
    return "?";
}

std::string Describe(const JobOutcome& outcome) {
    std::string text = OutcomeName(outcome.kind);
    if (!outcome.why.empty()) text += ": " + outcome.why;
    if (outcome.code != 0) text += " (code " + std::to_string(outcome.code) + ")";
    return text;
}
