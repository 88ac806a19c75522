#pragma once
// What a job may fetch and start, by the answer that names it: an https
// address, a hash that is one, and a file of the kind the job expects: an
// archive one of the unpackers takes (install/unpacker.h), or an installer
// that is started itself or through msiexec. Portable.
#include <string>

#include "net/device_service.h"

// What a job fetches: an archive to unpack, or an installer to start itself.
enum class PackageKind { Archive, Installer };

// Why a package may not be fetched and started, or empty when it may.
std::string PackageRefusal(const ServiceAnswer& answer, const std::string& fileName, PackageKind kind);
