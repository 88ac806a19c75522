#pragma once
#include "install/job_window.h"

// The real system services for the workflows.
class CWindowsJobSystem : public IJobSystem {
public:
    void Sleep(unsigned milliseconds) override;
    std::wstring AppPath(const std::wstring& relative) override;
    ProcessOutcome RunAndWait(const std::wstring& program, const std::wstring& arguments,
                              unsigned long timeoutMs) override;
    OsVersionClass QueryOsClass() override;
    NetResult HttpGetJson(const std::string& url, std::string& body) override;
    NetResult DownloadFile(const std::string& url, const std::wstring& path,
                           const std::function<void(int)>& progress) override;
    std::wstring CreateJobFolder() override;
    void RemoveFolder(const std::wstring& folder) override;
    std::wstring FindFile(const std::wstring& pattern, const std::wstring& name, bool descend) override;
    std::unique_ptr<IHeldFile> HoldFile(const std::wstring& path) override;
    bool StartElevated(const IHeldFile& file) override;
    ProcessOutcome RunElevatedAndWait(const IHeldFile& file) override;
    std::wstring ToWide(const std::string& ansi) override;
    void Trace(const std::string& text) override;
    void Trace(const std::wstring& text) override;
};
