#pragma once
#include "install/job_window.h"

// A job whose package comes from the device service (every row of the
// feature table with a service resource): taken from an offline
// layout when one has it for this Windows, else asked for and downloaded
// into a job folder of its own; an archive is unpacked with the pinned
// archiver; what is to be started (the package, or the archive's Setup.exe)
// is started when the vendor signed it.
JobOutcome InstallServicePackage(const Feature& feature, IJobWindow& window, IJobSystem& system);
