#pragma once
// How the processes of a waited installer are held together: a setup that
// hands over to a child and ends is still running, and its time limit ends
// the child too. A job object does both, unless the caller's own job (a
// deployment tool's) forbids one inside it. Portable.

struct CallerJobObject {
    bool inJob = false;            // this process already runs in a job
    bool nestingAllowed = false;   // Windows 8 and later nest jobs
    bool breakawayAllowed = false; // that job lets a child leave it when asked
    bool silentBreakaway = false;  // its children leave it without asking
};

enum class TreeHold {
    OwnJobObject,             // the installer in a job object of its own
    BreakAwayToOwnJobObject,  // started outside the caller's job object, then in one of its own
    FirstProcessOnly,  // no job: only the first process is waited for, and that is logged
};

TreeHold ChooseTreeHold(const CallerJobObject& caller);

// What the processes of a waited setup have come to, as the wait sees them.
struct TreeFacts {
    bool firstEnded = false;        // the process started first has ended
    unsigned othersRunning = 0;     // what it started that still runs
    bool timeLimitReached = false;  // the time limit has passed (only while the first runs does it count)
    bool graceOver = false;         // the grace after the first's end has passed
    bool windowsInstaller = false;  // an .msi: the install runs in the Windows Installer service
    bool cancelled = false;
};

enum class TreeStep {
    KeepWaiting,
    Done,          // everything has ended
    LeaveOthers,   // the first ended; what it left (a tray program, Explorer) is left running
    EndAll,        // the first ran past the time limit: it is ended with all it started
    GiveUp,        // the same for an .msi, whose install ending the client would not end: nothing is ended
    Cancelled,     // no longer waited for
};

// A setup's first process is waited for up to the time limit; after it ends,
// what it started is waited for a grace period and then left alone, since a
// setup may leave a tray program running or restart Explorer, and the run
// goes on with the first one's exit code.
TreeStep NextTreeStep(const TreeFacts& facts);

// The limits of the job object around a setup: a process in it may ask to
// break away (a setup that makes a job of its own fails on Windows 7 otherwise,
// where jobs do not nest).
constexpr unsigned long kJobLimitBreakawayOk = 0x00000800;  // JOB_OBJECT_LIMIT_BREAKAWAY_OK
constexpr unsigned long kSetupJobLimits = kJobLimitBreakawayOk;
