#pragma once
// The offline layout a job may install from: packages\manifest.json and the
// packages beside it, in the folder of /source (default: the program's),
// held while the job reads it. What its manifest says proves nothing by
// itself: the caller decides whether anything vouches for it.
#include <memory>
#include <string>

#include "sys/readable_file.h"
#include "sys/result.h"

class IOfflineLayout {
public:
    virtual ~IOfflineLayout() = default;
    // The manifest as read, and the SHA-256 (lower-case hex) of those very bytes.
    virtual const std::string& Manifest() const = 0;
    virtual const std::string& ManifestSha256() const = 0;
    // Why the layout's own security proves nothing: that it lies where
    // security read back is no proof (a removable drive, a share no machine
    // policy names), or who besides Administrators and SYSTEM may change its
    // folder, its packages\ or the manifest ("packages\\: S-1-1-0"); empty
    // when nobody.
    virtual const std::string& OthersMayChange() const = 0;
    // packages\name: a plain file with one name, reached without following
    // a link, held while the object lives; else the system's error.
    // othersMayChange: who else may change the file itself, as above.
    virtual sys::Result<std::unique_ptr<IReadableFile>> OpenPackage(const std::wstring& name,
                                                                    std::string& othersMayChange) = 0;
};
