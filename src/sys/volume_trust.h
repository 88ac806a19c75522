#pragma once
// Where a folder's own security can be believed. The SIDs of Administrators
// and SYSTEM are the same on every PC, so a stick formatted on someone's own
// laptop, a share, or a server that reports whatever security it likes reads
// back as "only administrators can change it". Only a local, fixed volume
// with persistent access lists keeps what this PC's administrators set,
// and a share counts only where this PC's administrators name it by policy.
// Portable: the Windows side asks the volume and the storage device.
#include <string>
#include <vector>

// What the system says of the volume a folder lies on.
struct VolumeFacts {
    std::wstring path;            // the folder as the system names it: "C:\\x", "\\\\server\\share\\x"
    unsigned driveType = 0;       // GetDriveTypeW's of its volume; 0: not known
    bool remote = false;          // a network file system answered for it
    bool aclsKnown = false;       // the volume's flags could be read
    bool persistentAcls = false;  // and it keeps access lists
    bool storageKnown = false;    // the storage device answered
    unsigned busType = 0;         // STORAGE_BUS_TYPE
    bool removableMedia = false;
};

// Why the folder's security proves nothing where it lies ("on a removable
// drive"), or empty on a local fixed volume with persistent access lists on
// a disk that is none of USB, SD, MMC, 1394 or virtual. Whatever could not be
// asked counts against it.
std::string VolumeDistrust(const VolumeFacts& facts);

// Whether path is root or lies below it, ignoring case, separators and a
// "\\?\" prefix ("\\?\UNC\s\x" is "\\s\x").
bool UnderRoot(const std::wstring& path, const std::wstring& root);

// The same as VolumeDistrust, unless the folder lies under one of the roots
// the machine's policy names as trusted layout places (a company share).
std::string LocationDistrust(const VolumeFacts& facts, const std::vector<std::wstring>& policyRoots);
