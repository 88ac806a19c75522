#include "install/jobs.h"

#include "install/download_install.h"
#include "install/wifi_install.h"
#include "res/resource.h"
#include "sys/text_util.h"

// One row per job, in the window's order (and cmake/Jobs.cmake's).
const std::array<Job, kJobCount> kJobs = {{
    {JobId::Wifi, IDC_BTN_WIFI, 0, 0, kInstallWifi, kTranslationKeyCount, kWifiInstallerMiss, InstallWifiDriver,
     L"wifi", L"Wi-Fi driver", kAnyWindows,
     nullptr, nullptr, PackageKind::Installer, kDeviceWifiReady},
    {JobId::Bluetooth, IDC_BTN_BLUETOOTH, IDC_PROGRESS_BLUETOOTH, IDC_CANCEL_BLUETOOTH, kInstallBt, kCancelBt, kBtInstallerMiss, InstallServicePackage,
     L"bluetooth", L"Bluetooth driver", WindowsVersion::Win7,
     "/api/rx/RealtekDrivers", "wirelessType=bluetooth&wirelessProduct=8821CU", PackageKind::Archive,
     kDeviceBtReady},
    {JobId::Hotspot, IDC_BTN_HOTSPOT, IDC_PROGRESS_HOTSPOT, IDC_CANCEL_HOTSPOT, kInstallHotspot, kCancelHotspot, kRxInstallerMiss, InstallServicePackage,
     L"hotspot", L"hotspot driver", kAnyWindows,
     "/api/rx/TWHotspot", nullptr, PackageKind::Installer, kTranslationKeyCount},
    {JobId::Receiver, IDC_BTN_RECEIVER, IDC_PROGRESS_RECEIVER, IDC_CANCEL_RECEIVER, kInstallRx, kCancelRx, kRxInstallerMiss, InstallServicePackage,
     L"receiver", L"receiver application", WindowsVersion::Win7,
     "/api/rx/QuilloRXApp", nullptr, PackageKind::Installer, kTranslationKeyCount},
}};

const Job& JobOf(JobId id) { return kJobs[JobIndex(id)]; }

const Job* JobBySwitch(const std::wstring& name) {
    for (const Job& job : kJobs)
        if (Lower(name) == job.quietSwitch) return &job;
    return nullptr;
}

bool Offered(const Job& job) { return g_settings.offered[JobIndex(job.id)]; }
bool& Offered(JobId id) { return g_settings.offered[JobIndex(id)]; }

std::wstring SilentArguments(const Job& job) {
    return g_settings.run.unattended ? g_settings.silentArguments[JobIndex(job.id)] : std::wstring();
}

bool OfferedOn(const Job& job, WindowsVersion windows) {
    return Offered(job) && (!job.minimumWindows || AtLeast(windows, *job.minimumWindows));
}

std::atomic<bool>& BusyFlag(JobId id) {
    static std::atomic<bool> busy[kJobCount] = {};
    return busy[JobIndex(id)];
}
