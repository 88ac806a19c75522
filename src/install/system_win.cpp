#include "install/system_win.h"

#include <windows.h>

#include "install/device_query_win.h"
#include "install/installer_command.h"
#include "install/job_folder_win.h"
#include "install/layout_store_win.h"
#include "install/offline_layout_win.h"
#include "install/process_start_win.h"
#include "net/device_service.h"
#include "net/http.h"
#include "net/url.h"
#include "sys/file_reader_win.h"
#include "sys/platform.h"
#include "sys/settings.h"
#include "sys/text_util.h"
#include "sys/utf8.h"

void CWindowsJobSystem::Sleep(unsigned milliseconds) { WaitOrCancel(m_cancel, milliseconds); }

WindowsVersion CWindowsJobSystem::QueryWindows() { return ThisWindows(); }

NetResult CWindowsJobSystem::HttpGetJson(const std::string& url, std::string& body) {
    return ::HttpGetJson(Utf8ToWide(AddressForTheWire(url)), body, m_cancel);
}

NetResult CWindowsJobSystem::DownloadFile(const std::string& url, const std::wstring& path,
                                          const TransferProgressFn& progress) {
    return ::DownloadFile(Utf8ToWide(AddressForTheWire(url)), path, progress, m_cancel);
}

sys::Result<std::unique_ptr<IReadableFile>> CWindowsJobSystem::OpenDelivered(const std::wstring& relative) {
    DWORD opened = 0;
    std::unique_ptr<IReadableFile> file = sys::OpenOutsideFile(sys::AppFolderJoin(relative), opened);
    if (!file) return sys::Result<std::unique_ptr<IReadableFile>>::Failed(opened);
    return file;
}

std::unique_ptr<IJobFolder> CWindowsJobSystem::CreateJobFolder() {
    std::unique_ptr<sys::CJobFolder> folder = sys::CJobFolder::Create();
    if (!folder) return nullptr;
    return std::make_unique<CWindowsJobFolder>(std::move(folder), m_cancel);
}

std::unique_ptr<IOfflineLayout> CWindowsJobSystem::OpenOfflineLayout() {
    const std::wstring source = g_settings.run.sourceFolder.empty() ? FolderOf(sys::ExecutablePath()) : g_settings.run.sourceFolder;
    return CWindowsOfflineLayout::Open(source);
}

sys::Result<std::unique_ptr<ILayoutStore>> CWindowsJobSystem::OpenLayoutStore(const std::wstring& folder) {
    DWORD opened = 0;
    std::unique_ptr<ILayoutStore> store = CWindowsLayoutStore::Open(folder, opened);
    if (!store) return sys::Result<std::unique_ptr<ILayoutStore>>::Failed(opened);
    return store;
}

ProcessRun CWindowsJobSystem::RunAndWait(const IHeldFile& program, const std::wstring& arguments,
                                             unsigned long timeoutMs, bool console, const std::wstring& temp) {
    const DWORD flags = console && !g_settings.run.unattended ? CREATE_NEW_CONSOLE : CREATE_NO_WINDOW;
    const ProgramCommand command = HowStartedOf(program.Path()) == HowStarted::Itself
                                       ? ProgramWithArguments(program.Path(), arguments)
                                       : ProgramCommand{};
    return Launch(command, FolderOf(program.Path()), flags, {true, timeoutMs, m_cancel, true}, temp);
}

ProcessRun CWindowsJobSystem::StartInstaller(const IHeldFile& installer, const std::wstring& arguments,
                                             const std::wstring& temp, const std::vector<std::wstring>& ids,
                                             std::function<void(const DeviceLook&)> whenEnded) {
    // A setup is never ended by a cancel: halfway, it would leave a driver half installed.
    const bool msi = HowStartedOf(installer.Path()) == HowStarted::ThroughMsiexec;
    WaitPlan plan{m_unattended, g_settings.installerTimeoutMs, m_cancel, false, msi};
    if (!m_unattended && !ids.empty() && whenEnded)
        plan.whenEnded = [ids, whenEnded] { whenEnded(LookAtDevicesNow(ids)); };
    return Launch(InstallerCommand(installer.Path(), sys::SystemFolder(), arguments), FolderOf(installer.Path()), 0,
                  plan, temp);
}

DeviceLook CWindowsJobSystem::LookAtDevice(const std::vector<std::wstring>& ids) { return LookAtDevicesNow(ids); }
