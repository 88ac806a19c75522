#include "install/features.h"

#include "install/download_install.h"
#include "install/wifi_install.h"
#include "res/resource.h"
#include "sys/text_util.h"

// One row per job, in the window's order.
const std::array<Feature, kJobCount> kFeatures = {{
    {Job::Wifi, IDC_BTN_WIFI, 0, kInstallWifi, kWifiInstallerMiss, InstallWifiDriver,
     L"wifi", L"Wi-Fi driver", WindowsVersion::Unknown,
     nullptr, nullptr, PackageKind::Installer},
    {Job::Bluetooth, IDC_BTN_BLUETOOTH, IDC_PROGRESS_BLUETOOTH, kInstallBt, kBtInstallerMiss, InstallServicePackage,
     L"bluetooth", L"Bluetooth driver", WindowsVersion::Win7,
     "/api/rx/RealtekDrivers", "wirelessType=bluetooth&wirelessProduct=8821CU", PackageKind::Archive},
    {Job::Hotspot, IDC_BTN_HOTSPOT, IDC_PROGRESS_HOTSPOT, kInstallHotspot, kRxInstallerMiss, InstallServicePackage,
     L"hotspot", L"hotspot driver", WindowsVersion::Unknown,
     "/api/rx/TWHotspot", nullptr, PackageKind::Installer},
    {Job::Receiver, IDC_BTN_RECEIVER, IDC_PROGRESS_RECEIVER, kInstallRx, kRxInstallerMiss, InstallServicePackage,
     L"receiver", L"receiver application", WindowsVersion::Win7,
     "/api/rx/QuilloRXApp", nullptr, PackageKind::Installer},
}};

const Feature& FeatureOf(Job job) { return kFeatures[JobIndex(job)]; }

const Feature* FeatureBySwitch(const std::wstring& name) {
    for (const Feature& feature : kFeatures)
        if (Lower(name) == feature.quietSwitch) return &feature;
    return nullptr;
}

bool Offered(const Feature& feature) { return g_settings.offered[JobIndex(feature.job)]; }
bool& Offered(Job job) { return g_settings.offered[JobIndex(job)]; }

std::wstring SilentArguments(const Feature& feature) {
    return g_settings.mayAskUser ? std::wstring() : g_settings.silentArguments[JobIndex(feature.job)];
}

bool OfferedOn(const Feature& feature, WindowsVersion windows) {
    return Offered(feature) &&
           (feature.minimumWindows == WindowsVersion::Unknown || AtLeast(windows, feature.minimumWindows));
}

std::atomic<bool>& BusyFlag(Job job) {
    static std::atomic<bool> busy[kJobCount] = {};
    return busy[JobIndex(job)];
}
