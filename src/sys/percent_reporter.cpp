#include "sys/percent_reporter.h"

#include <algorithm>

void CPercentReporter::Report(unsigned long long done, unsigned long long total) {
    const int percent = total == 0 ? -1 : static_cast<int>(std::min<unsigned long long>(done * 100 / total, 100));
    if (percent == m_last || !m_progress) return;
    m_last = percent;
    m_progress(percent);
}
