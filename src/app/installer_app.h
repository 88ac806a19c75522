#pragma once
#include "quiet/command_line.h"

// Starts the program: the window, or with /quiet the jobs without one; the
// run's log in either case.
class CInstallerApp {
public:
    // Never returns: the process ends with the run's exit code. Jobs the
    // window started are not waited for (there is no message loop beyond the
    // window's own).
    [[noreturn]] void Run();

private:
    void InitInstance();
    static void LogRunHeader(const CommandLine& line);
};
