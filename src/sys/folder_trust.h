#pragma once
// Whether a file or folder can be changed by anyone but the administrators,
// decided from its security as read back.
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

// Who else may change it: empty when the owner is Administrators or SYSTEM
// and no entry lets anyone else write, create, delete or change rights in
// it; else the first one found ("owner S-1-5-21-…", "S-1-1-0", "everyone:
// no access list"), for the log. platformOwner counts as an administrator
// too: empty on Windows, where the program's own user is no proof (its
// unelevated processes carry the same SID); the current user on a platform
// that records no owners (Wine reads every owner back as the current user).
std::wstring WhoElseMayChange(const FolderSecurity& security, const std::wstring& platformOwner);
inline bool OnlyAdministratorsMayChange(const FolderSecurity& security, const std::wstring& platformOwner) {
    return WhoElseMayChange(security, platformOwner).empty();
}
