#include "install/job_outcome.h"

// One row per outcome, in the order of the enum.
const std::array<OutcomeRow, kOutcomeCount> kOutcomes = {{
    {Outcome::Done, "done", kExitDone, Display::DoneText, kTranslationKeyCount},
    // Only an installer waited for says so: it has shown itself.
    {Outcome::RestartNeeded, "done, a restart is needed", kExitRestartNeeded, Display::Nothing, kTranslationKeyCount},
    {Outcome::RestartStarted, "done, the installer has started a restart", kExitRestartStarted, Display::Nothing,
     kTranslationKeyCount},
    {Outcome::NoConnection, "no connection", kExitNoConnection, Display::Message, kTranslationKeyCount},
    {Outcome::NoPackageForWindows, "no package for this Windows", kExitInstallerMissing, Display::Text, kNoPackageForOs},
    {Outcome::SecureConnectionFailed, "the secure connection failed", kExitNoConnection, Display::Text,
     kSecureConnectionFailed},
    {Outcome::ServiceFailed, "the device service failed", kExitServiceFailed, Display::Text, kServiceFailed},
    {Outcome::NotSaved, "not saved", kExitNotSaved, Display::Text, kDlNotSaved},
    {Outcome::PackageRefused, "package refused", kExitPackageRefused, Display::Text, kPkgNotTrusted},
    {Outcome::BundledProgramRefused, "a program beside the installer was refused", kExitPackageRefused,
     Display::MissingText, kTranslationKeyCount},
    {Outcome::InstallerMissing, "installer missing", kExitInstallerMissing, Display::MissingUnlessWifi,
     kTranslationKeyCount},
    {Outcome::ArchiverFailed, "the package could not be unpacked", kExitNotUnpacked, Display::Text, kBtUnpackFailed},
    // A setup program that failed did so on its own screen.
    {Outcome::InstallerFailed, "the installer failed", kExitInstallerFailed, Display::Nothing, kTranslationKeyCount},
    {Outcome::InstallerTimedOut, "the installer ran too long and was ended", kExitInstallerTimedOut, Display::Nothing,
     kTranslationKeyCount},
    // Windows Installer tells the user itself that another installation runs.
    {Outcome::InstallInProgress, "another installation is in progress", kExitInstallInProgress, Display::Nothing,
     kTranslationKeyCount},
    {Outcome::AdapterMissing, "installed, but no adapter is plugged in", kExitAdapterMissing, Display::Text,
     kDeviceNotPlugged},
    {Outcome::DriverNotInUse, "installed, but the adapter does not use the driver", kExitDriverNotInUse,
     Display::Text, kDeviceReplug},
    {Outcome::DriverAfterRestart, "installed, the adapter's driver works after a restart", kExitRestartNeeded,
     Display::Text, kDeviceRestart},
    {Outcome::DriverNotInstalled, "the adapter's driver is not installed", kExitDriverNotInstalled, Display::Nothing,
     kTranslationKeyCount},
    {Outcome::Cancelled, "cancelled", kExitCancelled, Display::Text, kInstallCancelled},
}};

const std::array<ExitCodeRow, 19> kExitCodes = {{
    {kExitDone, "done"},
    {kExitRestartNeeded, "done, a restart is needed (an installer returned 3010)"},
    {kExitRestartStarted, "done, and an installer has started a restart (`ERROR_SUCCESS_REBOOT_INITIATED`): no job "
                          "after it was started"},
    {kExitUsage, "usage error (`ERROR_INVALID_COMMAND_LINE`)"},
    {kExitNoConnection,
     "no connection to the device service (or a proxy wanted credentials), or its secure connection failed"},
    {kExitServiceFailed, "the device service failed: an answer that is no answer, or an error status after the retries"},
    {kExitPackageRefused, "refused (`ERROR_INVALID_IMAGE_HASH`): the package's address, hash, signature or kind, or a "
                          "program beside the installer (Wi-Fi setup, archiver) that is not the vendor's"},
    {kExitInstallerMissing, "an installer is missing: no Wi-Fi setup program, no package for this Windows, no "
                            "`Setup.exe` in it, or it could not be started"},
    {kExitNotSaved, "a file could not be saved (disk full, no job folder)"},
    {kExitNotUnpacked, "the package could not be unpacked (`ERROR_INSTALL_PACKAGE_INVALID`)"},
    {kExitInstallerFailed, "an installer failed (its own code is in the log)"},
    {kExitInstallInProgress, "another installation was in progress (`ERROR_INSTALL_ALREADY_RUNNING`): try again later"},
    {kExitCancelled, "cancelled by Ctrl+C, Ctrl+Break or closing the console (`ERROR_INSTALL_USEREXIT`): no job after "
                     "it was started; an installer already running was left to finish"},
    {kExitInstallerTimedOut, "an installer ran longer than the time limit and was ended (`ERROR_TIMEOUT`)"},
    {kExitLinkRefused, "`/layout`: its folder, `packages\\` or `data\\` is a link; nothing was written through it "
                       "(`ERROR_CANT_ACCESS_FILE`)"},
    {kExitWindowsTooOld, "Windows 7 without KB2533623: nothing was run (`ERROR_OLD_WIN_VERSION`)"},
    {kExitAdapterMissing, "the adapter is not plugged in (`ERROR_DEVICE_NOT_CONNECTED`): after a setup that ended "
                          "well, or with `/detect`"},
    {kExitDriverNotInUse, "the adapter has a problem with its driver, or none after a setup that ended well: unplug "
                          "it and plug it in again (`ERROR_DEVICE_REINITIALIZATION_NEEDED`)"},
    {kExitDriverNotInstalled, "`/detect`: the adapter's driver is not installed, or the adapter could not be seen "
                              "(`ERROR_UNKNOWN_PRODUCT`)"},
}};

const OutcomeRow& RowOf(Outcome kind) { return kOutcomes[static_cast<std::size_t>(kind)]; }

const char* OutcomeName(Outcome kind) { return RowOf(kind).name; }

std::string Describe(const JobOutcome& outcome) {
    std::string text = OutcomeName(outcome.kind);
    if (!outcome.why.empty()) text += ": " + outcome.why;
    if (outcome.code != 0) text += " (code " + std::to_string(outcome.code) + ")";
    return text;
}

ExitCode ExitCodeOf(const JobOutcome& outcome) { return RowOf(outcome.kind).exitCode; }
