#include "sys/transfer_progress.h"

#include <algorithm>

namespace {
constexpr unsigned long long kRateWindowMs = 3000, kShortestRateMs = 500, kReportEveryMs = 250;
}  // namespace

int TransferProgress::Percent() const {
    return total == 0 ? -1 : static_cast<int>(std::min<unsigned long long>(done * 100 / total, 100));
}

void CProgressReporter::Report(unsigned long long nowMs, unsigned long long done, unsigned long long total) {
    // Another attempt may start over: a sample past what is there now counts no more.
    while (!m_samples.empty() && m_samples.back().bytes > done) m_samples.pop_back();
    m_samples.push_back({nowMs, done});
    while (m_samples.size() > 2 && m_samples[1].ms + kRateWindowMs <= nowMs) m_samples.pop_front();
    TransferProgress progress{done, total, 0};
    const Sample& from = m_samples.front();
    if (nowMs - from.ms >= kShortestRateMs)
        progress.bytesPerSecond = static_cast<double>(done - from.bytes) * 1000.0 / static_cast<double>(nowMs - from.ms);
    const bool due = !m_sent || progress.Percent() != m_last.Percent() || nowMs - m_lastMs >= kReportEveryMs;
    m_last = progress;
    if (!due || !m_progress) return;
    m_sent = true;
    m_lastMs = nowMs;
    m_progress(progress);
}

void CProgressReporter::Finish(unsigned long long nowMs) {
    // An empty file counts as one byte: a full bar.
    const unsigned long long all = std::max({m_last.total, m_last.done, 1ull});
    m_sent = false;  // the end is always told
    Report(nowMs, all, all);
}
