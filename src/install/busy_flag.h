#pragma once
#include <atomic>

#include "install/job_window.h"

// One flag per kind of job: claimed in one indivisible step, so that repeated
// clicks start the workflow once; released when the claim goes.
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

extern std::atomic<bool> g_wifiBusy;
extern std::atomic<bool> g_bluetoothBusy;
extern std::atomic<bool> g_receiverBusy;
extern std::atomic<bool> g_hotspotBusy;

// Pause before a job claims its flag, so that a double click is one run.
constexpr unsigned kJobStartPauseMs = 200;

// Every job's start: the pause, then the claim; Owned() is false when another
// run of the same kind has the flag.
inline CBusyClaim ClaimAfterStartPause(IJobSystem& system, std::atomic<bool>& flag) {
    system.Sleep(kJobStartPauseMs);
    return CBusyClaim(flag);
}
