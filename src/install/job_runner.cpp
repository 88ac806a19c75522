#include "install/job_runner.h"

bool RunJob(const Job& job, IJobWindow& window, IJobSystem& system) {
    system.Sleep(kJobStartPauseMs);
    const CBusyClaim claim(BusyFlag(job.id));
    if (!claim.Owned()) return false;
    window.Tell(job, job.workflow(job, window, system));
    return true;
}
