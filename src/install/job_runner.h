#pragma once
// How every job runs, from the window's commands and in quiet mode alike.
#include <atomic>

#include "install/job_system.h"
#include "install/job_window.h"

// Pause before a job claims its flag, so that a double click is one run.
constexpr unsigned kJobStartPauseMs = 200;

// The flag of one kind of job, claimed in one indivisible step so that
// repeated clicks start the workflow once; released when the claim goes.
class CBusyClaim {
public:
    explicit CBusyClaim(std::atomic<bool>& flag) : m_flag(flag), m_owned(!flag.exchange(true)) {}
    ~CBusyClaim() { if (m_owned) m_flag.store(false); }
    CBusyClaim(const CBusyClaim&) = delete;
    CBusyClaim& operator=(const CBusyClaim&) = delete;
    bool Owned() const { return m_owned; }
private:
    std::atomic<bool>& m_flag;
    bool m_owned;
};

// The pause, the claim, the workflow, and what it came to told while the
// claim still holds: clicks during the message are absorbed too. False, and
// nothing done, when a run of the same kind was under way.
bool RunJob(const Job& job, IJobWindow& window, IJobSystem& system);
