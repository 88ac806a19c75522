#pragma once
// What a job came to, and everything that follows from it, declared once:
// per outcome its words for the log, the exit code quiet mode ends with, and
// what the window shows (install/telling.h); per exit code what it means, for
// the usage text and the README. Nothing ever works back from a shown text
// to its cause.
#include <array>
#include <string>

#include "i18n/translation_keys.h"

enum class Outcome {
    Done,                    // installed, or its installer started
    RestartNeeded,           // an installer waited for asked for a restart
    RestartStarted,          // an installer waited for has started the restart itself: nothing more may run
    NoConnection,            // the connection failed or dropped, or a proxy refused
    NoPackageForWindows,     // the service has no package for this Windows
    SecureConnectionFailed,  // TLS or the service's certificate
    ServiceFailed,           // an answer that is no answer, a server in trouble
    NotSaved,                // a file could not be written (disk full, no job folder)
    PackageRefused,          // not https, hash, signature, not an installer: why says which
    BundledProgramRefused,   // a program delivered beside the installer is not the vendor's
    InstallerMissing,        // none delivered, none in the package, or it could not be started
    ArchiverFailed,          // the package could not be unpacked
    InstallerFailed,         // an installer waited for failed (code)
    InstallerTimedOut,       // an installer waited for ran past the time limit and was ended
    InstallInProgress,       // Windows Installer was busy with another installation (tools try again)
    AdapterMissing,          // the setup ended well, yet no adapter is plugged in to use its driver
    DriverNotInUse,          // the setup ended well, yet the adapter has no driver or a problem: replug it
    DriverAfterRestart,      // the setup asked for a restart, and the adapter has no working driver until then
    DriverNotInstalled,      // /detect: the adapter has no driver (or it could not be seen)
    Cancelled,               // the user (or the console's Ctrl+C) stopped it
};
constexpr int kOutcomeCount = static_cast<int>(Outcome::Cancelled) + 1;

// What an unattended run tells the deployment tool that started it: Windows'
// own codes, so that such tools show a fitting text for each.
enum ExitCode : unsigned long {
    kExitDone = 0,
    kExitRestartNeeded = 3010,       // ERROR_SUCCESS_REBOOT_REQUIRED
    kExitRestartStarted = 1641,      // ERROR_SUCCESS_REBOOT_INITIATED
    kExitUsage = 1639,               // ERROR_INVALID_COMMAND_LINE
    kExitNoConnection = 12029,       // ERROR_INTERNET_CANNOT_CONNECT
    kExitServiceFailed = 12152,      // ERROR_HTTP_INVALID_SERVER_RESPONSE
    kExitPackageRefused = 577,       // ERROR_INVALID_IMAGE_HASH
    kExitInstallerMissing = 2,       // ERROR_FILE_NOT_FOUND
    kExitNotSaved = 112,             // ERROR_DISK_FULL
    kExitNotUnpacked = 1620,         // ERROR_INSTALL_PACKAGE_INVALID
    kExitInstallerFailed = 1603,     // ERROR_INSTALL_FAILURE
    kExitInstallInProgress = 1618,   // ERROR_INSTALL_ALREADY_RUNNING
    kExitCancelled = 1602,           // ERROR_INSTALL_USEREXIT
    kExitInstallerTimedOut = 1460,   // ERROR_TIMEOUT
    kExitLinkRefused = 1920,         // ERROR_CANT_ACCESS_FILE
    kExitWindowsTooOld = 1150,       // ERROR_OLD_WIN_VERSION
    kExitAdapterMissing = 1167,      // ERROR_DEVICE_NOT_CONNECTED
    kExitDriverNotInUse = 1164,      // ERROR_DEVICE_REINITIALIZATION_NEEDED
    kExitDriverNotInstalled = 1605,  // ERROR_UNKNOWN_PRODUCT
};

// What the window shows for an outcome.
enum class Display {
    Nothing,         // the user sees the program itself, or nothing changed on screen
    Message,         // the no-connection message
    Text,            // the row's status text
    MissingText,     // the job's own installer-missing text
    MissingUnlessWifi,  // the same, but nothing for a click without the Wi-Fi setup beside the program
    DoneText,        // the job's done text, where it has one (the Wi-Fi driver's)
};

struct OutcomeRow {
    Outcome kind;
    const char* name;    // the log's words: "no connection"
    ExitCode exitCode;
    Display display;
    TranslationKey text;  // with Display::Text
};
extern const std::array<OutcomeRow, kOutcomeCount> kOutcomes;

// Every code a run may end with and what it means (Markdown: `code` in
// backticks), in the order the README's table and the usage list them.
struct ExitCodeRow {
    ExitCode code;
    const char* meaning;
};
extern const std::array<ExitCodeRow, 19> kExitCodes;

const OutcomeRow& RowOf(Outcome kind);

struct JobOutcome {
    Outcome kind = Outcome::Done;
    unsigned long code = 0;  // an installer's exit code, or a system error
    std::string why;         // for the log
};

inline JobOutcome Failed(Outcome kind, std::string why, unsigned long code = 0) { return {kind, code, std::move(why)}; }

const char* OutcomeName(Outcome kind);
// "no connection: the proxy refused the request" (and the code when there is one).
std::string Describe(const JobOutcome& outcome);
// A job's exit code, from what it came to.
ExitCode ExitCodeOf(const JobOutcome& outcome);
