#pragma once
// What a job is doing while it works, as one value: its phase and, while it
// transfers, how far. The window's bar and status line, the taskbar button
// and quiet mode's log all read it. Portable.
#include "install/jobs.h"
#include "sys/transfer_progress.h"

enum class JobPhase {
    Asking,       // the device service, for the package
    Downloading,  // the package
    Copying,      // the package, from the offline layout
    Checking,     // its hash, its signature
    Unpacking,    // the archive
    Starting,     // the setup program
    Started,      // the setup program runs on its own: the user follows it
    Ended,        // the job is over; what it came to is told next
};

struct JobProgress {
    JobId job;
    JobPhase phase;
    TransferProgress transfer;  // with Downloading and Copying
};

// The bar shows transfers (their percentage, or busy while the size is not
// known), checks and unpacking (busy); and so does the cancel beside it.
bool ShowsBar(JobPhase phase);
// Whether the size, and so a percentage, is known.
bool Determinate(const JobProgress& progress);
// Whether a screen reader is told of the status line's text for next, after
// last of the same job: at each new phase and each quarter of a transfer,
// never at every report (up to four a second).
bool WorthAnnouncing(const JobProgress& last, const JobProgress& next);
// "downloading", for the log and the tests.
const char* PhaseName(JobPhase phase);
