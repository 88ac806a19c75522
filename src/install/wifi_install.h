#pragma once
#include "install/job_system.h"
#include "install/job_window.h"

// Runs the Wi-Fi setup program delivered beside the installer, from a
// verified copy in a job folder of its own, and waits for it.
JobOutcome InstallWifiDriver(const Job& job, IJobWindow& window, IJobSystem& system);
