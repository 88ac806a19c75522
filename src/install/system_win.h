#pragma once
#include "install/job_window.h"

// The real system services for the workflows.
class CWindowsJobSystem : public IJobSystem {
public:
    void Sleep(unsigned milliseconds) override;
    std::wstring AppPath(const std::wstring& relative) override;
    ProcessOutcome RunAndWait(const std::wstring& program) override;
};
