#pragma once
// The offline layout a job installs from (install/offline_layout.h), read
// through held handles: the layout's folder as the system resolves it, its
// packages\ and every file in it without following a link.
#include <memory>
#include <string>

#include "install/offline_layout.h"
#include "sys/held_folder_win.h"

// Reads the manifest once, to its end, and hashes exactly those bytes: a
// share that served the parser one manifest and the hash another would
// otherwise pass the pin. False when it cannot be read or is larger than any
// of ours.
bool ReadManifestOnce(IReadableFile& file, std::string& bytes, std::string& sha256);

class CWindowsOfflineLayout : public IOfflineLayout {
public:
    // The layout in folder; null, logged when it is more than missing, when
    // it has no packages\manifest.json to read.
    static std::unique_ptr<CWindowsOfflineLayout> Open(const std::wstring& folder);
    const std::string& Manifest() const override { return m_manifest; }
    const std::string& ManifestSha256() const override { return m_sha256; }
    const std::string& OthersMayChange() const override { return m_othersMayChange; }
    sys::Result<std::unique_ptr<IReadableFile>> OpenPackage(const std::wstring& name,
                                                            std::string& othersMayChange) override;

private:
    CWindowsOfflineLayout(sys::CHeldFolder root, sys::CHeldFolder packages)
        : m_root(std::move(root)), m_packages(std::move(packages)) {}
    sys::CHeldFolder m_root, m_packages;
    std::string m_manifest, m_sha256, m_othersMayChange;
};
