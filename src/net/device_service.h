#pragma once
// What the installer asks the device web service and what it reads back.
#include <string>

#include "sys/os_version.h"

// The service host ("name" or "name:port"); from the build settings, tests may set it.
extern std::string g_serviceHost;

constexpr const char* kBluetoothResource = "/api/rx/RealtekDrivers";
constexpr const char* kReceiverResource = "/api/rx/QuilloRXApp";
constexpr const char* kHotspotResource = "/api/rx/TWHotspot";

// "win7" for Windows 7 and everything older or unknown, "win8" for 8 and 8.1, else "win10".
std::string OsValueForClass(OsVersionClass osClass);

std::string ResourceUrl(const char* resource);
std::string BluetoothRequestUrl(OsVersionClass osClass);

struct ServiceAnswer {
    std::string downloadUrl;
    bool hasSha256 = false;
    std::string sha256;  // as given; empty when the member is no text
};

enum class AnswerKind {
    Usable,     // a JSON object whose "status" reads as true and whose "downloadURL" is a non-empty text
    NoPackage,  // "status" present and false (or 0): no package for this Windows version
    Unusable,   // anything else
};

// Reads the service's answer; with Usable, the package address and an
// optional "sha256", passed on unchecked. Never throws.
AnswerKind ReadServiceAnswer(const std::string& body, ServiceAnswer& answer);

// Why a package may not be fetched and started, or empty when it may: the
// address must be https, a given hash 64 hex digits, and what is started
// itself (installerOnly) an .exe or .msi.
std::string PackageRefusal(const ServiceAnswer& answer, const std::string& fileName, bool installerOnly);

// The file name a package is stored under: the last part of the address's
// path, without query or fragment. Empty when that is no safe Windows file
// name (empty, "." or "..", a reserved device name, forbidden characters).
std::string PackageFileName(const std::string& downloadUrl);

// Largest service answer accepted; the real ones are a few hundred bytes.
constexpr std::size_t kMaxAnswerBytes = 1024 * 1024;
