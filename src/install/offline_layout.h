#pragma once
// The offline layout: packages a /layout run stored with their list, so that
// PCs without the service (a company share, a service that is down or gone)
// install all the same. The list only finds a file: its size and SHA-256 must
// match, and then it goes through every check a download does.
#include <string>
#include <vector>

#include "install/layout_manifest.h"
#include "install/package_steps.h"

// The layout's package for the feature and the Windows named osValue, copied
// into a new job folder (the bar shows the copy) and proven by the list's
// size and SHA-256. False, logged, and nothing kept when the layout has none
// usable: then the job asks the service.
bool TakeFromLayout(const Feature& feature, IJobWindow& window, IJobSystem& system, const std::string& osValue,
                    Package& package);

// Fetches the feature's package for the Windows named osValue and proves it
// as an install would (for an archive: unpacked, its Setup.exe signed), then
// stores it in the layout and its entry in entries. A package whose SHA-256
// the layout already holds is kept as it is.
JobOutcome LayOutPackage(const Feature& feature, const std::string& osValue, IJobSystem& system, ILayoutStore& store,
                         std::vector<LayoutEntry>& entries);
