#pragma once
// What a job came to. Workflows return it; the window turns it into a text
// or the message (install/telling.h), quiet mode into an exit code and a log
// line. Nothing ever works back from a shown text to its cause.
#include <string>

enum class Outcome {
    Done,                   // installed, or its installer started
    RestartNeeded,          // an installer waited for asked for a restart
    NoConnection,           // the connection failed or dropped, or a proxy refused
    NoPackageForWindows,    // the service has no package for this Windows
    SecureChannelFailed,    // TLS or the service's certificate
    ServiceFailed,          // an answer that is no answer, a server in trouble
    NotSaved,               // a file could not be written (disk full, no job folder)
    PackageRefused,         // not https, hash, signature, not an installer: why says which
    BundledProgramRefused,  // a program delivered beside the installer is not the vendor's
    InstallerMissing,       // none delivered, none in the package, or it could not be started
    ArchiverFailed,         // the package could not be unpacked
    InstallerFailed,        // an installer waited for failed (code)
    InstallerTimedOut,      // an installer waited for ran past the time limit and was ended
};

struct JobOutcome {
    Outcome kind = Outcome::Done;
    unsigned long code = 0;  // an installer's exit code, or a system error
    std::string why;         // for the log
};

inline JobOutcome Failed(Outcome kind, std::string why, unsigned long code = 0) { return {kind, code, std::move(why)}; }

// "done", "no connection", ...: for the log.
const char* OutcomeName(Outcome kind);
// "no connection: the proxy refused the request" (and the code when there is one).
std::string Describe(const JobOutcome& outcome);
