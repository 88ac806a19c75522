#pragma once
#include "install/job_system.h"

#include "sys/cancel_token.h"

// The real system services for the workflows. With waitForInstallers (quiet
// mode) a started installer is waited for and its exit code read. cancel,
// when given, ends every wait early.
class CWindowsJobSystem : public IJobSystem {
public:
    explicit CWindowsJobSystem(bool waitForInstallers = false, const CCancelToken* cancel = nullptr)
        : m_waitForInstallers(waitForInstallers), m_cancel(cancel) {}
    void Sleep(unsigned milliseconds) override;
    bool Cancelled() override { return m_cancel && m_cancel->Cancelled(); }
    WindowsVersion QueryWindows() override;
    NetResult HttpGetJson(const std::string& url, std::string& body) override;
    NetResult DownloadFile(const std::string& url, const std::wstring& path,
                           const TransferProgressFn& progress) override;
    std::unique_ptr<IReadableFile> OpenDelivered(const std::wstring& relative, unsigned long& error) override;
    std::unique_ptr<IJobFolder> CreateJobFolder() override;
    std::unique_ptr<IOfflineLayout> OpenOfflineLayout() override;
    std::unique_ptr<ILayoutStore> OpenLayoutStore(const std::wstring& folder, unsigned long& error) override;
    ProcessOutcome RunAndWait(const IHeldFile& program, const std::wstring& arguments, unsigned long timeoutMs,
                              bool console, const std::wstring& temp) override;
    ProcessOutcome StartInstaller(const IHeldFile& installer, const std::wstring& arguments,
                                  const std::wstring& temp) override;

private:
    bool m_waitForInstallers;
    const CCancelToken* m_cancel;
};
