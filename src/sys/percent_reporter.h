#pragma once
// A bar's position from bytes done: sent only when the percentage changes,
// and -1 once when the size is not known (the bar shows that it is busy).
#include <functional>

class CPercentReporter {
public:
    explicit CPercentReporter(std::function<void(int)> progress) : m_progress(std::move(progress)) {}
    void Report(unsigned long long done, unsigned long long total);
private:
    std::function<void(int)> m_progress;
    int m_last = -2;
};
