#pragma once
#include "install/job_window.h"

// The Bluetooth driver: asks the service for the package of this Windows
// version, downloads it into a job folder, unpacks it with the pinned
// archiver and starts its signed Setup.exe.
JobOutcome InstallBluetoothDriver(const Feature& feature, IJobWindow& window, IJobSystem& system);

// A job whose package is an installer to start itself: asks the service for
// the feature's installer, downloads it and starts it when the vendor signed it.
JobOutcome InstallPackage(const Feature& feature, IJobWindow& window, IJobSystem& system);
