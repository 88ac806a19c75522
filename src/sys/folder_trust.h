#pragma once
// Whether a file, folder or registry key can be changed by anyone but the
// administrators, decided from its security as read back.
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

// Rights that let a holder put, replace or remove something in a folder (or
// write a file), or give themselves those rights: the file-specific, standard
// and generic bits, and "maximum allowed", which grants whatever the rest of
// the list lets it.
constexpr unsigned long kFileChangeRights = 0x0002 /*add file*/ | 0x0004 /*add subfolder*/ | 0x0010 /*write EA*/ |
                                            0x0040 /*delete child*/ | 0x0100 /*write attributes*/ |
                                            0x00010000 /*delete*/ | 0x00040000 /*write DAC*/ |
                                            0x00080000 /*write owner*/ | 0x02000000 /*maximum allowed*/ |
                                            0x10000000 /*generic all*/ | 0x40000000 /*generic write*/;
// The same for a registry key: its bits mean other things there (0x10 is
// KEY_NOTIFY, which every reader has).
constexpr unsigned long kKeyChangeRights = 0x0002 /*set value*/ | 0x0004 /*create subkey*/ | 0x0020 /*create link*/ |
                                           0x00010000 /*delete*/ | 0x00040000 /*write DAC*/ |
                                           0x00080000 /*write owner*/ | 0x02000000 /*maximum allowed*/ |
                                           0x10000000 /*generic all*/ | 0x40000000 /*generic write*/;

// Who else may change it: empty when the owner is Administrators or SYSTEM
// and no entry grants anyone else one of changeRights; else the first one
// found ("owner S-1-5-21-…", "S-1-1-0", "everyone: no access list"), for the
// log. platformOwner counts as an administrator too: empty on Windows, where
// the program's own user is no proof (its unelevated processes carry the
// same SID); the current user on a platform that records no owners (Wine
// reads every owner back as the current user).
std::wstring WhoElseMayChange(const FolderSecurity& security, const std::wstring& platformOwner,
                              unsigned long changeRights = kFileChangeRights);
inline bool OnlyAdministratorsMayChange(const FolderSecurity& security, const std::wstring& platformOwner,
                                        unsigned long changeRights = kFileChangeRights) {
    return WhoElseMayChange(security, platformOwner, changeRights).empty();
}
