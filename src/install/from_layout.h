#pragma once
// A job's package taken from the offline layout instead of downloaded. The
// layout's manifest vouches for nothing itself; one of these must:
//   the service, asked for this job and this Windows, names the same
//   SHA-256 (the layout is then a cache that saves the download);
//   the manifest is the one pinned in the signed program at build time;
//   only Administrators and SYSTEM can change the layout's folder, its
//   packages\, the manifest and the package file.
// A build that names no signer takes nothing from a layout.
#include <string>

#include "install/package_steps.h"

// The layout's package for the job and the Windows named osValue, copied
// into a new job folder (the bar shows the copy) and proven by the vouched
// size and SHA-256. answered: what the service said; null when it was not
// asked (offline) or could not be reached. False, logged with what did not
// vouch, and nothing kept when the layout has none usable.
bool TakeFromLayout(const Job& job, IJobWindow& window, IJobSystem& system, const std::string& osValue,
                    const ServiceAnswer* answered, Package& package);
