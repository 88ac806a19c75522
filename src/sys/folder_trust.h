#pragma once
// Whether a folder can be changed by anyone but the administrators, decided
// from its security as read back; and the names of per-job folders.
#include <string>
#include <vector>

struct AccessEntry {
    bool allow = true;
    std::wstring sid;  // textual form, "S-1-5-32-544"; empty when the entry names no plain SID
    unsigned long mask = 0;
};

struct FolderSecurity {
    std::wstring owner;
    bool hasDacl = false;  // no list at all lets everyone do everything
    std::vector<AccessEntry> dacl;
};

// True when the owner is Administrators, SYSTEM or selfSid and no entry lets
// anyone else write, create, delete or change rights in the folder.
bool OnlyAdministratorsMayChange(const FolderSecurity& security, const std::wstring& selfSid);

// "job-<pid>-<stamp>-<serial>": each download job works in a new one.
std::wstring JobFolderName(unsigned long pid, unsigned long long stamp, unsigned long serial);
// The process id in a job folder's name; 0 when name is no job folder's.
unsigned long JobFolderProcess(const std::wstring& name);
