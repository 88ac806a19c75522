// The job table names the workflows; the fuzz targets read the table but
// run no workflow, so these stand in for them.
#include "install/download_install.h"
#include "install/wifi_install.h"

JobOutcome InstallServicePackage(const Job&, IJobWindow&, IJobSystem&) { return JobOutcome{}; }
JobOutcome InstallWifiDriver(const Job&, IJobWindow&, IJobSystem&) { return JobOutcome{}; }
