#include "sys/security_win.h"

#include <aclapi.h>
#include <sddl.h>

#include "sys/folder_trust.h"
#include "sys/platform.h"

namespace sys {

namespace {

std::wstring SidText(PSID sid) {
    CLocalMemory text;
    if (!sid || !::ConvertSidToStringSidW(sid, reinterpret_cast<LPWSTR*>(text.Put()))) return std::wstring();
    return static_cast<const wchar_t*>(text.Get());
}

AccessEntry ReadEntry(const ACE_HEADER* header) {
    AccessEntry entry;
    if (header->AceType == ACCESS_ALLOWED_ACE_TYPE || header->AceType == ACCESS_DENIED_ACE_TYPE) {
        // Both kinds share this layout.
        const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
        entry.allow = header->AceType == ACCESS_ALLOWED_ACE_TYPE;
        entry.sid = SidText(const_cast<DWORD*>(&ace->SidStart));
        entry.mask = ace->Mask;
    } else {
        entry.mask = ~0ul;  // a kind we do not read: assume the worst
    }
    return entry;
}

bool ReadSecurity(HANDLE handle, SE_OBJECT_TYPE type, FolderSecurity& security) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    CLocalMemory descriptor;
    if (::GetSecurityInfo(handle, type, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                          nullptr, &dacl, nullptr, reinterpret_cast<PSECURITY_DESCRIPTOR*>(descriptor.Put())) !=
        ERROR_SUCCESS)
        return false;
    security.owner = SidText(owner);
    security.hasDacl = dacl != nullptr;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (::GetAce(dacl, i, &ace)) security.dacl.push_back(ReadEntry(static_cast<ACE_HEADER*>(ace)));
    }
    return true;
}

}  // namespace

CLocalMemory SecurityFromSddl(const std::wstring& sddl) {
    CLocalMemory descriptor;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            sddl.c_str(), SDDL_REVISION_1, reinterpret_cast<PSECURITY_DESCRIPTOR*>(descriptor.Put()), nullptr))
        descriptor.Reset();
    return descriptor;
}

std::wstring WhoElseMayChange(HANDLE handle) {
    FolderSecurity security;
    if (!ReadSecurity(handle, SE_FILE_OBJECT, security)) return L"(its security could not be read)";
    return ::WhoElseMayChange(security, RecordsOwners() ? std::wstring() : ProcessUserSid());
}

std::wstring WhoElseMayChangeKey(HKEY key) {
    FolderSecurity security;
    if (!ReadSecurity(reinterpret_cast<HANDLE>(key), SE_REGISTRY_KEY, security)) return L"(its security could not be read)";
    // The registry records its owners, Wine's too.
    return ::WhoElseMayChange(security, std::wstring(), kKeyChangeRights);
}

}  // namespace sys
