#pragma once
// Web addresses as the request policy reads them, whichever library then
// sends the request. Portable.
#include <string>

struct UrlParts {
    bool https = false;
    std::wstring host;      // as written; an IPv6 address without its brackets
    unsigned port = 0;      // the scheme's own when none is written
    std::wstring object;    // path and query, "/" when empty; no fragment
};

// An absolute http or https address split into its parts; false when it is
// none (another scheme, no host, a user name in it, a port that is no port).
bool SplitUrl(const std::wstring& url, UrlParts& parts);

// Where a redirect's Location points, seen from the address that answered:
// an absolute address as it is, "//host/x" with the same scheme, "/x" on the
// same host, anything else beside the last part of its path; no fragment.
// Empty when location is empty or base is no address.
std::wstring ResolveLocation(const std::wstring& base, const std::wstring& location);

// The address as it goes on the wire: bytes outside printable ASCII (a
// UTF-8 file name, a space) %-escaped, so that no code page of this PC or of
// the HTTP library can change them. Escapes already there stay.
std::string AddressForTheWire(const std::string& utf8Url);

// The file name a package is stored under: the last part of the address's
// path, without query or fragment. Empty when that is no safe Windows file
// name (empty, "." or "..", a reserved device name, forbidden characters).
std::string PackageFileName(const std::string& downloadUrl);
