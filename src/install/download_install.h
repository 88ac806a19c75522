#pragma once
#include <atomic>

#include "install/job_window.h"

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
