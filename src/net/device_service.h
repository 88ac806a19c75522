#pragma once
// What the installer asks the device web service and what it reads back.
#include <string>

#include "sys/os_version.h"
#include "sys/text_util.h"

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

// What a job fetches: an archive to unpack (.zip or .7z), or an installer to
// start itself (.exe or .msi).
enum class PackageKind { Archive, Installer };

// Why a package may not be fetched and started, or empty when it may: the
// address must be https, a given hash 64 hex digits, and the file of the kind
// the job expects.
std::string PackageRefusal(const ServiceAnswer& answer, const std::string& fileName, PackageKind kind);

// The archiver's switch for the one format an archive's name says it has:
// "-tzip" or "-t7z", in the name's own kind of text; empty for any other
// name, which is not unpacked.
template <class Text>
Text ArchiveTypeSwitch(const Text& fileName) {
    static const char* const kFormats[][2] = {{".zip", "-tzip"}, {".7z", "-t7z"}};
    const auto ascii = [](const char* text) { return Text(text, text + std::char_traits<char>::length(text)); };
    const Text name = Lower(fileName);
    for (const auto& format : kFormats)
        if (EndsWith(name, ascii(format[0]))) return ascii(format[1]);
    return Text();
}

// Whether name can be a file's name in a folder, and nothing else: not
// empty, "." or "..", no reserved device name, no path or forbidden characters.
bool IsSafeFileName(const std::string& name);

// 64 hex digits, as a SHA-256 is written.
bool IsSha256Hex(const std::string& text);

// The file name a package is stored under: the last part of the address's
// path, without query or fragment. Empty when that is no safe Windows file
// name (empty, "." or "..", a reserved device name, forbidden characters).
std::string PackageFileName(const std::string& downloadUrl);

// The address as it goes on the wire: bytes outside printable ASCII (a
// UTF-8 file name, a space) %-escaped, so that no code page of this PC or of
// the HTTP library can change them. Escapes already there stay.
std::string AddressForTheWire(const std::string& utf8Url);

// Largest service answer accepted; the real ones are a few hundred bytes.
constexpr std::size_t kMaxAnswerBytes = 1024 * 1024;
