#pragma once
// /layout DIR: every package of the chosen jobs for every Windows the service
// tells apart, fetched, proven as an install would prove it, and stored with
// its manifest in DIR\packages; Installer.exe and its data folder beside them.
#include "install/job_system.h"
#include "install/job_window.h"
#include "quiet/command_line.h"
#include "quiet/exit_code.h"
#include "quiet/quiet_run.h"

// The run's exit code, as quiet mode gives it: the first failure's, else done.
ExitCode RunLayout(const RunChoices& choices, IJobSystem& system, const LogFn& log);
