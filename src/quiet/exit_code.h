#pragma once
// What an unattended run tells the deployment tool that started it. Windows'
// own codes, so that such tools show a fitting text for each.
#include <vector>

#include "i18n/catalogue.h"

enum ExitCode : unsigned long {
    kExitDone = 0,
    kExitRestartNeeded = 3010,       // ERROR_SUCCESS_REBOOT_REQUIRED
    kExitUsage = 1639,               // ERROR_INVALID_COMMAND_LINE
    kExitNoConnection = 12029,       // ERROR_INTERNET_CANNOT_CONNECT
    kExitPackageRefused = 577,       // ERROR_INVALID_IMAGE_HASH
    kExitInstallerMissing = 2,       // ERROR_FILE_NOT_FOUND
    kExitNotSaved = 112,             // ERROR_DISK_FULL
    kExitInstallerFailed = 1603,     // ERROR_INSTALL_FAILURE
    kExitElevationDeclined = 1223,   // ERROR_CANCELLED
};

// A started installer's own exit code as the job's: done, restart needed
// (3010, or 1641 when it started the restart itself), or failed.
ExitCode ExitCodeOfInstaller(unsigned long installerCode);

// The job's code from the text its workflow showed in the status line.
ExitCode ExitCodeOfStatus(TranslationKey shown);

// The run's code: the first failure among the jobs, else restart needed if
// one needs it, else done.
ExitCode CombineExitCodes(const std::vector<ExitCode>& jobs);
