#pragma once
// The layout a /layout run fills (install/layout_store.h), written only
// inside its folder: the folder, packages\ and data\ held, none of them a
// link; every file made new under a temporary name through its folder's
// handle and renamed into place through it, so that a name someone planted
// (a second name of another file, a link) is replaced, never written through.
#include <memory>
#include <string>

#include "install/layout_store.h"
#include "sys/held_folder_win.h"

class CWindowsLayoutStore : public ILayoutStore {
public:
    // The layout in folder, made (readable by everyone, changeable by
    // administrators only) when it is not there; null with the system's
    // error, ERROR_CANT_ACCESS_FILE when the folder or its packages\ is a link.
    static std::unique_ptr<CWindowsLayoutStore> Open(const std::wstring& folder, DWORD& error);
    std::string ReadManifest() override;
    std::string OthersMayChange() override;
    sys::Status WriteManifest(const std::string& json) override;
    bool Holds(const std::wstring& name, unsigned long long size, const std::string& sha256) override;
    sys::Status Store(IReadableFile& file, const std::wstring& name) override;
    sys::Status CopyProgram() override;

private:
    CWindowsLayoutStore(sys::CHeldFolder root, sys::CHeldFolder packages, bool programsOwn)
        : m_root(std::move(root)), m_packages(std::move(packages)), m_programsOwn(programsOwn) {}
    sys::CHeldFolder m_root, m_packages;
    bool m_programsOwn;  // the folder the program runs from: it is there already
};
