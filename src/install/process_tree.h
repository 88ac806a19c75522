#pragma once
// How the processes of a waited installer are held together: a setup that
// hands over to a child and ends is still running, and its time limit ends
// the child too. A job object does both, unless the caller's own job (a
// deployment tool's) forbids one inside it. Portable.

struct CallerJob {
    bool inJob = false;            // this process already runs in a job
    bool nestingAllowed = false;   // Windows 8 and later nest jobs
    bool breakawayAllowed = false; // that job lets a child leave it when asked
    bool silentBreakaway = false;  // its children leave it without asking
};

enum class TreeHold {
    OwnJob,            // the installer in a job of its own
    BreakAwayToOwnJob, // started outside the caller's job, then in one of its own
    FirstProcessOnly,  // no job: only the first process is waited for, and that is logged
};

TreeHold ChooseTreeHold(const CallerJob& caller);
