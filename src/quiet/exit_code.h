#pragma once
// The run's exit code from its jobs' (the codes and what each job's outcome
// ends with are in install/job_outcome.h).
#include <vector>

#include "install/job_outcome.h"

// A restart already started, else a cancel, else the first failure among
// the jobs, else restart needed if one needs it, else done.
ExitCode CombineExitCodes(const std::vector<ExitCode>& jobs);
