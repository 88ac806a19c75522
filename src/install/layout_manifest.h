#pragma once
// The offline layout's list of packages (packages\manifest.json): what
// /layout stored, and what a job looks for before it asks the service. The
// list only finds a file; the file's hash and signature are its proof.
#include <string>
#include <vector>

struct LayoutEntry {
    std::string job;            // the job's switch name ("bluetooth")
    std::string windows;        // the service's os value ("win10"); empty when the job's resource names none
    std::string file;           // the file's name in packages\ (nothing else: a plain name)
    unsigned long long size = 0;
    std::string sha256;         // lower-case hex
    std::string source;         // the address it came from
    std::string time;           // when it was stored, "2026-12-09T13:00:00Z"
};

constexpr std::size_t kMaxManifestBytes = 1024 * 1024;

// The entries of a manifest; nothing for one that is no manifest. Never throws.
std::vector<LayoutEntry> ReadLayoutManifest(const std::string& json);
std::string WriteLayoutManifest(const std::vector<LayoutEntry>& entries);

// The entry for the job and Windows value, or null.
const LayoutEntry* FindLayoutEntry(const std::vector<LayoutEntry>& entries, const std::string& job,
                                   const std::string& windows);
// Puts entry in place of the one for its job and Windows value, or adds it.
void SetLayoutEntry(std::vector<LayoutEntry>& entries, const LayoutEntry& entry);

// Why an entry may not be used, or empty: a file name that is no plain name
// (a path out of packages\, a device), a hash that is no hash.
std::string LayoutEntryRefusal(const LayoutEntry& entry);

// The name a package is stored under: "bluetooth_win10_bt_top.zip".
std::string LayoutFileName(const std::string& job, const std::string& windows, const std::string& packageName);
