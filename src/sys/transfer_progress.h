#pragma once
// How far a transfer (a download, a copy) has come: the one value the bar,
// the status line, the taskbar and the log read. Portable: the caller gives
// the clock.
#include <deque>
#include <functional>

struct TransferProgress {
    unsigned long long done = 0;
    unsigned long long total = 0;  // 0: not known
    double bytesPerSecond = 0;     // over the last few seconds; 0: not known yet
    // 0 to 100; -1 when the total is not known.
    int Percent() const;
};
using TransferProgressFn = std::function<void(const TransferProgress&)>;

// Turns a transfer's reads into reports: one whenever the percentage
// changes or a quarter of a second has passed, with the rate over the last
// three seconds (none before half a second of them).
class CProgressReporter {
public:
    explicit CProgressReporter(TransferProgressFn progress) : m_progress(std::move(progress)) {}
    void Report(unsigned long long nowMs, unsigned long long done, unsigned long long total);
    // The last report again, finished: every byte there.
    void Finish(unsigned long long nowMs);

private:
    struct Sample { unsigned long long ms, bytes; };
    TransferProgressFn m_progress;
    std::deque<Sample> m_samples;
    TransferProgress m_last;
    unsigned long long m_lastMs = 0;
    bool m_sent = false;
};
