#include "install/job_runner.h"

bool RunJob(const Feature& feature, IJobWindow& window, IJobSystem& system) {
    system.Sleep(kJobStartPauseMs);
    const CBusyClaim claim(BusyFlag(feature.job));
    if (!claim.Owned()) return false;
    window.Tell(feature, feature.workflow(feature, window, system));
    return true;
}
