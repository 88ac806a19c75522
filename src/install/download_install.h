#pragma once
#include <atomic>
#include <string>

#include "install/job_window.h"

// The common name of the vendor's code-signing certificate: every installer
// started elevated must carry a valid signature by it. Empty: no signature
// check. From the build settings; tests may set it.
extern std::wstring g_packageSigner;
// How long the archiver may run before it is ended and the job fails.
extern unsigned long g_archiverTimeoutMs;

// The Bluetooth driver: asks the service for the package of this Windows
// version, downloads and unpacks it, and starts its Setup.exe elevated.
void InstallBluetoothDriver(IJobWindow& window, IJobSystem& system, std::atomic<bool>& busy);

// The receiver application and the hotspot driver: one procedure, three values.
struct PackageJob {
    std::atomic<bool>& busy;
    const char* resource;
    ProgressBar bar;
};
void InstallPackage(IJobWindow& window, IJobSystem& system, const PackageJob& job);
void InstallReceiverApp(IJobWindow& window, IJobSystem& system);
void InstallHotspotDriver(IJobWindow& window, IJobSystem& system);
