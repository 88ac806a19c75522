#pragma once
#include "quiet/command_line.h"
#include "quiet/exit_code.h"

// Starts the program: the window, or with /quiet the jobs without one; the
// run's log in either case.
class CInstallerApp {
public:
    // Never returns: the process ends with the run's exit code. Jobs the
    // window started are not waited for (there is no message loop beyond the
    // window's own).
    [[noreturn]] void Run();
    // Where Windows lacks KB2533623: says so (a message, or unattended the
    // log) and ends with kExitWindowsTooOld, having started nothing.
    [[noreturn]] void RefuseWithoutKb2533623();

private:
    // The window, until it is closed; with /passive the run's exit code.
    ExitCode InitInstance(const RunChoices& run);
    static void LogRunHeader(const RunChoices& run);
    // The run's choices, from the command line and the desktop, made once
    // into the settings (g_settings.run); its log opened.
    static const RunChoices& StartRun();
};
