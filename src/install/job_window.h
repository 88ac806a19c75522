#pragma once
// What a job may use of the installer window. The window implements it;
// quiet mode and tests have their own.
#include "install/jobs.h"
#include "install/job_outcome.h"
#include "install/job_progress.h"

class IJobWindow {
public:
    virtual ~IJobWindow() = default;
    // What the job is doing now (any thread): the bar, the status line and
    // the taskbar follow it. A new phase may come before the last one's end.
    virtual void Report(const JobProgress& progress) = 0;
    // Tells what the job came to; returns when the user may go on (the
    // message closed), while the job still holds its busy flag.
    virtual void Tell(const Job& job, const JobOutcome& outcome) = 0;
};
