#pragma once
#include <atomic>

#include "install/job_window.h"

// Runs the delivered Wi-Fi setup program, waits for it and, when it reports
// success (exit code 0), says so on the status line.
void InstallWifiDriver(IJobWindow& window, IJobSystem& system, std::atomic<bool>& busy);
