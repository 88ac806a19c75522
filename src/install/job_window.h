#pragma once
// What a job may use of the installer window. The window implements it;
// quiet mode and tests have their own.
//
// One rule for the window's state: only the window's thread touches it.
// Every call below may come from a job's thread; an implementation that
// keeps state of a window hands the call to that thread (the installer
// window sends itself a message and waits for it) and touches nothing of it
// on the caller's. What must stay on the job's thread, the no-connection
// message (modal there, so that the window stays usable), uses no state of
// the window beyond its handle and its catalogue.
#include "install/jobs.h"
#include "install/job_outcome.h"
#include "install/job_progress.h"

class IJobWindow {
public:
    virtual ~IJobWindow() = default;
    // What the job is doing now: the bar, the status line and the taskbar
    // follow it. A new phase may come before the last one's end.
    virtual void Report(const JobProgress& progress) = 0;
    // Tells what the job came to; returns when the user may go on (the
    // message closed), while the job still holds its busy flag.
    virtual void Tell(const Job& job, const JobOutcome& outcome) = 0;
    // Whether somebody sees the progress bar: only then is a full bar
    // worth a pause before the job goes on.
    virtual bool ShowsProgress() const = 0;
};
