#include "install/job_runner.h"

bool RunJob(const Job& job, IJobWindow& window, IJobSystem& system) {
    system.Sleep(kJobStartPauseMs);
    const CBusyClaim claim(BusyFlag(job.id));
    if (!claim.Owned()) return false;
    const JobOutcome outcome = job.workflow(job, window, system);
    window.Report({job.id, JobPhase::Ended, {}});
    window.Tell(job, outcome);
    return true;
}
