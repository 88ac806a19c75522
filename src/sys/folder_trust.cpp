#include "sys/folder_trust.h"

namespace {

constexpr wchar_t kAdministrators[] = L"S-1-5-32-544";
constexpr wchar_t kSystem[] = L"S-1-5-18";

bool IsTrusted(const std::wstring& sid, const std::wstring& platformOwner) {
    return sid == kAdministrators || sid == kSystem || (!platformOwner.empty() && sid == platformOwner);
}

}  // namespace

std::wstring WhoElseMayChange(const FolderSecurity& security, const std::wstring& platformOwner,
                              unsigned long changeRights) {
    if (!IsTrusted(security.owner, platformOwner))
        return L"owner " + (security.owner.empty() ? std::wstring(L"unknown") : security.owner);
    if (!security.hasDacl) return L"everyone: no access list";
    for (const AccessEntry& entry : security.dacl)
        if (entry.allow && (entry.mask & changeRights) && !IsTrusted(entry.sid, platformOwner))
            return entry.sid.empty() ? L"an entry of a kind not read" : entry.sid;
    return std::wstring();
}
