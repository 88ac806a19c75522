#include "sys/volume_trust_win.h"

#include <winioctl.h>

#include "sys/handle_win.h"
#include "sys/log.h"
#include "sys/security_win.h"
#include "sys/utf8.h"

namespace sys {

namespace {

constexpr wchar_t kPolicyKey[] = L"SOFTWARE\\Policies\\Tarnwell\\MRL7300";
constexpr wchar_t kPolicyValue[] = L"TrustedLayoutRoots";

std::wstring FinalPath(HANDLE handle, DWORD kind) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), kind);
        if (length == 0) return std::wstring();
        if (length < path.size()) return path.substr(0, length);
        path.resize(length + 1);
    }
}

// "C:\x" from "\\?\C:\x", "\\s\x" from "\\?\UNC\s\x".
std::wstring DosPath(const std::wstring& final) {
    if (final.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + final.substr(8);
    if (final.rfind(L"\\\\?\\", 0) == 0) return final.substr(4);
    return final;
}

// The storage device under the volume, by its GUID name ("\\?\Volume{…}").
void ReadStorage(HANDLE folder, VolumeFacts& facts) {
    const std::wstring guid = FinalPath(folder, VOLUME_NAME_GUID);
    const std::size_t end = guid.find(L'}');
    if (guid.rfind(L"\\\\?\\Volume{", 0) != 0 || end == std::wstring::npos) return;
    // No access asked: enough to query the device's properties.
    const CFileHandle volume(::CreateFileW(guid.substr(0, end + 1).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
    if (!volume.Valid()) return;
    STORAGE_PROPERTY_QUERY query = {};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    alignas(8) BYTE buffer[1024] = {};
    DWORD got = 0;
    if (!::DeviceIoControl(volume.Get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, buffer, sizeof buffer,
                           &got, nullptr) ||
        got < offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) + sizeof(STORAGE_BUS_TYPE))
        return;
    const auto* device = reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(buffer);
    facts.storageKnown = true;
    facts.busType = static_cast<unsigned>(device->BusType);
    facts.removableMedia = device->RemovableMedia != FALSE;
}

}  // namespace

VolumeFacts ReadVolumeFacts(HANDLE folder) {
    VolumeFacts facts;
    facts.path = DosPath(FinalPath(folder, VOLUME_NAME_DOS));
    DWORD flags = 0;
    facts.aclsKnown = ::GetVolumeInformationByHandleW(folder, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) != FALSE;
    facts.persistentAcls = (flags & FILE_PERSISTENT_ACLS) != 0;
    // Answered only by a network file system (SMB, WebDAV); a local one refuses the question.
    FILE_REMOTE_PROTOCOL_INFO protocol = {};
    facts.remote = ::GetFileInformationByHandleEx(folder, FileRemoteProtocolInfo, &protocol, sizeof protocol) != FALSE ||
                   facts.path.rfind(L"\\\\", 0) == 0;
    // The root in its plain form: Wine tells a removable drive only by that.
    wchar_t root[MAX_PATH + 1] = {};
    if (!facts.path.empty() && ::GetVolumePathNameW(facts.path.c_str(), root, MAX_PATH))
        facts.driveType = ::GetDriveTypeW(DosPath(root).c_str());
    if (!facts.remote) ReadStorage(folder, facts);
    return facts;
}

std::vector<std::wstring> PolicyLayoutRoots() {
    std::vector<std::wstring> roots;
    CKeyHandle key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPolicyKey, 0, KEY_READ | KEY_WOW64_64KEY, key.Put()) != ERROR_SUCCESS)
        return roots;
    const std::wstring others = WhoElseMayChangeKey(key.Get());
    if (!others.empty()) {
        Log(L"the policy HKLM\\" + std::wstring(kPolicyKey) + L" is not used: others than administrators may change it (" +
            others + L")");
        return roots;
    }
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(key.Get(), kPolicyValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_MULTI_SZ && type != REG_SZ) || size > 64 * 1024)
        return roots;
    std::wstring text(size / sizeof(wchar_t) + 2, L'\0');
    if (::RegQueryValueExW(key.Get(), kPolicyValue, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) !=
        ERROR_SUCCESS)
        return roots;
    text.resize(size / sizeof(wchar_t));
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find(L'\0', at);
        const std::wstring root = text.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at);
        if (!root.empty()) roots.push_back(root);
        if (end == std::wstring::npos) break;
        at = end + 1;
    }
    return roots;
}

std::string LayoutLocationDistrust(HANDLE folder) {
    return LocationDistrust(ReadVolumeFacts(folder), PolicyLayoutRoots());
}

}  // namespace sys
