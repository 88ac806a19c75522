#pragma once
// Starting the programs a job runs: with no handles inherited, in their own
// folder, with TEMP and TMP of their job folder's own.
#include <windows.h>

#include <functional>
#include <string>

#include "install/installer_command.h"
#include "install/job_system.h"
#include "sys/cancel_token.h"

// Whether and how long a started program is waited for (with all it starts).
struct WaitPlan {
    bool wait;
    unsigned long timeoutMs;     // 0: no limit; past it, all of it is ended
    const CCancelToken* cancel;  // ends the wait early
    bool endOnCancel;            // and the program with it
    bool windowsInstaller = false;  // an .msi through msiexec: its time limit ends nothing
    // Not waited for: called on a thread of its own once it has ended with all it started.
    std::function<void()> whenEnded = {};
};

// Starts the command in folder (its current folder, and through the
// program's own folder its DLL folder) with temp as its TEMP and TMP, in a
// process group of its own (the run's Ctrl+C never reaches it); waits as the
// plan says (what it leaves running for the settings' setupGraceMs) and
// reads the first process's exit code. A command without an
// application is not started (ERROR_BAD_EXE_FORMAT).
ProcessRun Launch(const ProgramCommand& command, const std::wstring& folder, DWORD flags, const WaitPlan& plan,
                      const std::wstring& temp);
