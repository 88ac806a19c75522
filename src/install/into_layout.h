#pragma once
// A /layout run's packages: fetched, proven as an install would prove them,
// and stored in the layout with their manifest entries. One package that
// several Windows share is fetched and stored once.
#include <map>
#include <string>
#include <vector>

#include "install/layout_manifest.h"
#include "install/package_steps.h"

struct LayoutRun {
    std::vector<LayoutEntry> entries;               // the manifest being made
    std::map<std::string, LayoutEntry> storedFrom;  // what this run stored, by job and the address it came from
};

// Of the entries a layout's manifest held, those that pass the entry checks
// and whose file the store holds, plain, with their size and SHA-256; the
// others are logged and dropped.
std::vector<LayoutEntry> KeptLayoutEntries(const std::vector<LayoutEntry>& entries, ILayoutStore& store);

// Fetches the job's package for the Windows named osValue and proves it
// as an install would (for an archive: unpacked, its Setup.exe signed), then
// stores it and its entry. A package the layout holds already (the
// service's hash says so) or that this run stored from the same address is
// not fetched again.
JobOutcome LayOutPackage(const Job& job, const std::string& osValue, IJobSystem& system, ILayoutStore& store,
                         LayoutRun& run);
