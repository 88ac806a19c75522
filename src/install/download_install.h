#pragma once
#include "install/job_system.h"
#include "install/job_window.h"

// A job whose package comes from the device service (every row of the
// job table with a service resource): asked for and downloaded into a
// job folder of its own, or taken from an offline layout that something
// vouches for (install/from_layout.h); an archive is unpacked with the
// pinned archiver; what is to be started (the package, or the archive's
// Setup.exe) is started when the vendor signed it.
JobOutcome InstallServicePackage(const Job& job, IJobWindow& window, IJobSystem& system);
