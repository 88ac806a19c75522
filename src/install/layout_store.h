#pragma once
// The offline layout a /layout run fills: its packages\ with the manifest,
// and the program beside them. Everything is written inside the layout's
// folder only: new files under a temporary name, then renamed into place.
#include <string>

#include "sys/readable_file.h"
#include "sys/result.h"

class ILayoutStore {
public:
    virtual ~ILayoutStore() = default;
    virtual std::string ReadManifest() = 0;  // packages\manifest.json; empty when none
    // Why what lies in the layout already proves nothing (as for an install
    // from it, install/offline_layout.h): where it lies, or who besides the
    // administrators may change the folder or its packages\; empty when nobody.
    virtual std::string OthersMayChange() = 0;
    virtual sys::Status WriteManifest(const std::string& json) = 0;
    // Whether packages\name is there, a plain file with one name, with this size and SHA-256.
    virtual bool Holds(const std::wstring& name, unsigned long long size, const std::string& sha256) = 0;
    // Stores a copy of the proven, held file as packages\name.
    virtual sys::Status Store(IReadableFile& file, const std::wstring& name) = 0;
    // Installer.exe and its data folder beside packages\: a complete offline
    // installer (nothing to do when the layout is the program's own folder).
    virtual sys::Status CopyProgram() = 0;
};
