#pragma once
// What the installer asks the device web service and what it reads back.
#include <string>

#include "sys/os_version.h"

// Every Windows the service tells apart (its "os=" value), oldest first, each
// from the oldest version it is given for: "win7" for Windows 7 and
// everything older or unknown, "win8" for 8 and 8.1, "win10" for the rest.
struct ServiceOsRow {
    WindowsVersion from;  // Unknown: every version before the next row's
    const char* value;
};
constexpr ServiceOsRow kServiceOsValues[] = {
    {WindowsVersion::Unknown, "win7"}, {WindowsVersion::Win8, "win8"}, {WindowsVersion::Win10, "win10"}};

// The service's name for a Windows version, by the table above.
std::string ServiceOsValue(WindowsVersion version);

// The address of a resource of the service ("/api/rx/..."); with a query,
// the query names the Windows first: "?os=<osValue>&" + query.
std::string RequestUrl(const char* resource, const char* query, const std::string& osValue);

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

// Largest service answer accepted; the real ones are a few hundred bytes.
constexpr std::size_t kMaxAnswerBytes = 1024 * 1024;
