#pragma once
// The offline layout a job may install from: packages\manifest.json and the
// packages beside it, in the folder of /source (default: the program's),
// held while the job reads it. What its manifest says proves nothing by
// itself: the caller decides whether anything vouches for it.
#include <memory>
#include <string>

#include "sys/readable_file.h"

class IOfflineLayout {
public:
    virtual ~IOfflineLayout() = default;
    // The manifest as read, and its SHA-256 (lower-case hex).
    virtual const std::string& Manifest() const = 0;
    virtual const std::string& ManifestSha256() const = 0;
    // Who besides Administrators and SYSTEM may change the layout's folder,
    // its packages\ or the manifest ("packages\\: S-1-1-0"); empty when nobody.
    virtual const std::string& OthersMayChange() const = 0;
    // packages\name: a plain file with one name, reached without following
    // a link, held while the object lives; null with the system's error.
    // othersMayChange: who else may change the file itself, as above.
    virtual std::unique_ptr<IReadableFile> OpenPackage(const std::wstring& name, std::string& othersMayChange,
                                                       unsigned long& error) = 0;
};
