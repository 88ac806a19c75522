#pragma once
#include "install/job_system.h"

#include "sys/cancel_token.h"

// The real system services for the workflows. Unattended (quiet,
// /passive, /layout) a started installer is waited for and its exit code
// read. cancel, when given, ends every wait early.
class CWindowsJobSystem : public IJobSystem {
public:
    explicit CWindowsJobSystem(bool unattended = false, const CCancelToken* cancel = nullptr)
        : m_unattended(unattended), m_cancel(cancel) {}
    void Sleep(unsigned milliseconds) override;
    bool Cancelled() override { return m_cancel && m_cancel->Cancelled(); }
    WindowsVersion QueryWindows() override;
    NetResult HttpGetJson(const std::string& url, std::string& body) override;
    NetResult DownloadFile(const std::string& url, const std::wstring& path,
                           const TransferProgressFn& progress) override;
    sys::Result<std::unique_ptr<IReadableFile>> OpenDelivered(const std::wstring& relative) override;
    std::unique_ptr<IJobFolder> CreateJobFolder() override;
    std::unique_ptr<IOfflineLayout> OpenOfflineLayout() override;
    sys::Result<std::unique_ptr<ILayoutStore>> OpenLayoutStore(const std::wstring& folder) override;
    ProcessRun RunAndWait(const IHeldFile& program, const std::wstring& arguments, unsigned long timeoutMs,
                              bool console, const std::wstring& temp) override;
    ProcessRun StartInstaller(const IHeldFile& installer, const std::wstring& arguments, const std::wstring& temp,
                              const std::vector<std::wstring>& ids,
                              std::function<void(const DeviceLook&)> whenEnded) override;
    DeviceLook LookAtDevice(const std::vector<std::wstring>& ids) override;

private:
    bool m_unattended;
    const CCancelToken* m_cancel;
};
