#include "sys/folder_trust.h"

namespace {

constexpr wchar_t kAdministrators[] = L"S-1-5-32-544";
constexpr wchar_t kSystem[] = L"S-1-5-18";

// Rights that let a holder put, replace or remove something in the folder (or
// write the file), or give themselves those rights (file-specific, standard
// and generic bits).
constexpr unsigned long kChangeRights = 0x0002 /*add file*/ | 0x0004 /*add subfolder*/ | 0x0010 /*write EA*/ |
                                        0x0040 /*delete child*/ | 0x0100 /*write attributes*/ |
                                        0x00010000 /*delete*/ | 0x00040000 /*write DAC*/ |
                                        0x00080000 /*write owner*/ | 0x02000000 /*maximum allowed*/ |
                                        0x10000000 /*generic all*/ | 0x40000000 /*generic write*/;

bool IsTrusted(const std::wstring& sid, const std::wstring& platformOwner) {
    return sid == kAdministrators || sid == kSystem || (!platformOwner.empty() && sid == platformOwner);
}

}  // namespace

std::wstring WhoElseMayChange(const FolderSecurity& security, const std::wstring& platformOwner) {
    if (!IsTrusted(security.owner, platformOwner))
        return L"owner " + (security.owner.empty() ? std::wstring(L"unknown") : security.owner);
    if (!security.hasDacl) return L"everyone: no access list";
    for (const AccessEntry& entry : security.dacl)
        if (entry.allow && (entry.mask & kChangeRights) && !IsTrusted(entry.sid, platformOwner))
            return entry.sid.empty() ? L"an entry of a kind not read" : entry.sid;
    return std::wstring();
}
