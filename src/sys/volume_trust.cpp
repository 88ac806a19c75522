#include "sys/volume_trust.h"

#include <cwctype>

namespace {

// GetDriveTypeW's values.
constexpr unsigned kDriveRemovable = 2, kDriveFixed = 3, kDriveRemote = 4, kDriveCdRom = 5, kDriveRamDisk = 6;
// STORAGE_BUS_TYPE: disks anyone may plug in or mount from a file.
constexpr unsigned kBusUnknown = 0, kBus1394 = 4, kBusUsb = 7, kBusSd = 0xC, kBusMmc = 0xD, kBusVirtual = 0xE,
                   kBusFileBackedVirtual = 0xF;

std::string DriveTypeDistrust(unsigned type) {
    switch (type) {
    case kDriveFixed: return std::string();
    case kDriveRemovable: return "on a removable drive";
    case kDriveRemote: return "on a network share";
    case kDriveCdRom: return "on a CD or DVD";
    case kDriveRamDisk: return "on a RAM disk";
    case 0: return "on a drive whose kind could not be read";
    default: return "on a drive of no known kind";
    }
}

std::string BusDistrust(unsigned bus) {
    switch (bus) {
    case kBusUnknown: return "on a disk whose bus is not known";
    case kBus1394: return "on a FireWire disk";
    case kBusUsb: return "on a USB disk";
    case kBusSd:
    case kBusMmc: return "on a memory card";
    case kBusVirtual:
    case kBusFileBackedVirtual: return "on a virtual disk";
    default: return std::string();
    }
}

// "c:\x" for "\\?\C:\x\", "\\s\x" for "\\?\UNC\s\x"; '/' read as '\'.
std::wstring Comparable(std::wstring path) {
    for (wchar_t& c : path) c = c == L'/' ? L'\\' : static_cast<wchar_t>(std::towlower(c));
    if (path.rfind(L"\\\\?\\unc\\", 0) == 0) path = L"\\\\" + path.substr(8);
    else if (path.rfind(L"\\\\?\\", 0) == 0) path = path.substr(4);
    while (path.size() > 1 && path.back() == L'\\') path.pop_back();
    return path;
}

}  // namespace

std::string VolumeDistrust(const VolumeFacts& facts) {
    if (facts.remote) return "on a network share";
    std::string why = DriveTypeDistrust(facts.driveType);
    if (!why.empty()) return why;
    if (!facts.aclsKnown) return "on a volume whose flags could not be read";
    if (!facts.persistentAcls) return "on a volume that keeps no access lists";
    if (!facts.storageKnown) return "on a disk that could not be asked what it is";
    if (facts.removableMedia) return "on a removable disk";
    return BusDistrust(facts.busType);
}

bool UnderRoot(const std::wstring& path, const std::wstring& root) {
    const std::wstring folder = Comparable(path), base = Comparable(root);
    if (base.empty() || base == L"\\") return false;  // "everything" names nothing
    return folder == base ||
           (folder.size() > base.size() && folder.compare(0, base.size(), base) == 0 && folder[base.size()] == L'\\');
}

std::string LocationDistrust(const VolumeFacts& facts, const std::vector<std::wstring>& policyRoots) {
    for (const std::wstring& root : policyRoots)
        if (!facts.path.empty() && UnderRoot(facts.path, root)) return std::string();
    const std::string why = VolumeDistrust(facts);
    return why.empty() ? why : why + ", which no machine policy names as a trusted layout place";
}
