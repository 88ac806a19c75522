// The feature table names the workflows; the fuzz targets read the table but
// run no workflow, so these stand in for them.
#include "install/download_install.h"
#include "install/wifi_install.h"

JobOutcome InstallServicePackage(const Feature&, IJobWindow&, IJobSystem&) { return JobOutcome{}; }
JobOutcome InstallWifiDriver(const Feature&, IJobWindow&, IJobSystem&) { return JobOutcome{}; }
