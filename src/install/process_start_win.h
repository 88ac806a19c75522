#pragma once
// Starting the programs a job runs: with no handles inherited, in their own
// folder, with TEMP and TMP of their job folder's own.
#include <windows.h>

#include <string>

#include "install/installer_command.h"
#include "install/job_system.h"

// Starts the command in folder (its current folder, and through the
// program's own folder its DLL folder) with temp as its TEMP and TMP; with
// wait, waits up to timeoutMs (0: no limit) and reads the exit code. A
// command without an application is not started (ERROR_BAD_EXE_FORMAT).
ProcessOutcome Launch(const ProgramCommand& command, const std::wstring& folder, DWORD flags, bool wait,
                      unsigned long timeoutMs, const std::wstring& temp);
