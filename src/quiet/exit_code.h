#pragma once
// What an unattended run tells the deployment tool that started it. Windows'
// own codes, so that such tools show a fitting text for each.
#include <vector>

#include "install/job_outcome.h"

enum ExitCode : unsigned long {
    kExitDone = 0,
    kExitRestartNeeded = 3010,       // ERROR_SUCCESS_REBOOT_REQUIRED
    kExitUsage = 1639,               // ERROR_INVALID_COMMAND_LINE
    kExitNoConnection = 12029,       // ERROR_INTERNET_CANNOT_CONNECT
    kExitServiceFailed = 12152,      // ERROR_HTTP_INVALID_SERVER_RESPONSE
    kExitPackageRefused = 577,       // ERROR_INVALID_IMAGE_HASH
    kExitInstallerMissing = 2,       // ERROR_FILE_NOT_FOUND
    kExitNotSaved = 112,             // ERROR_DISK_FULL
    kExitNotUnpacked = 1620,         // ERROR_INSTALL_PACKAGE_INVALID
    kExitInstallerFailed = 1603,     // ERROR_INSTALL_FAILURE
    kExitInstallerTimedOut = 1460,   // ERROR_TIMEOUT
    kExitLinkRefused = 1920,         // ERROR_CANT_ACCESS_FILE: /layout's folder, packages\ or data\ is a link
    kExitWindowsTooOld = 1150,       // ERROR_OLD_WIN_VERSION: Windows 7 without KB2533623
};

// A job's code from what it came to.
ExitCode ExitCodeOf(const JobOutcome& outcome);

// The run's code: the first failure among the jobs, else restart needed if
// one needs it, else done.
ExitCode CombineExitCodes(const std::vector<ExitCode>& jobs);
