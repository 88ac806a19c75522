#pragma once
// What a job may use of the installer window. The window implements it;
// quiet mode and tests have their own.
#include "install/jobs.h"
#include "install/job_outcome.h"

class IJobWindow {
public:
    virtual ~IJobWindow() = default;
    virtual void ShowProgress(JobId job, bool show) = 0;
    // 0 to 100; -1: the size is not known, the bar shows that it is busy.
    // A bar shown again starts at 0.
    virtual void SetProgress(JobId job, int percent) = 0;
    // Tells what the job came to; returns when the user may go on (the
    // message closed), while the job still holds its busy flag.
    virtual void Tell(const Job& job, const JobOutcome& outcome) = 0;
};
