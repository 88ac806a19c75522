#pragma once
// The offline layout's manifest (packages\manifest.json): what /layout
// stored, and what a job looks for. It only finds a file, and proves nothing
// by itself: the service's hash, a hash pinned in the program or a folder
// only administrators can change must vouch for it.
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

// Why an entry may not be used, or empty: a job this program has no package
// for, a Windows value the job's resource does not take, a file name that is
// no plain name or not of the kind the job starts (the checks a download
// passes), a size no package has, a hash that is no hash, an address that
// is no https address, a time that is none.
std::string LayoutEntryRefusal(const LayoutEntry& entry);

// The name a package is stored under: the job, the start of its SHA-256 and
// its own name ("bluetooth_3f2a9c0d1b7e_bt_top.zip"), so that one package
// several Windows share is stored once.
std::string LayoutFileName(const std::string& job, const std::string& sha256, const std::string& packageName);
