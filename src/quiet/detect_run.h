#pragma once
// /detect: whether the adapter's functions have their drivers, for a
// deployment tool's detection rule. Installs nothing, asks no service.
#include "install/job_system.h"
#include "quiet/command_line.h"
#include "quiet/exit_code.h"
#include "quiet/quiet_run.h"

// Logs each chosen job's device (none chosen: every one this Windows is
// offered) and gives the exit code; once every one has its driver, says so
// in one line through out.
ExitCode RunDetect(const RunChoices& choices, IJobSystem& system, const LogFn& log, const LogFn& out);
