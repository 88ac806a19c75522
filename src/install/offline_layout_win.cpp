#include "install/offline_layout_win.h"

#include "install/layout_manifest.h"
#include "sys/file_checks_win.h"
#include "sys/file_reader_win.h"
#include "sys/log.h"
#include "sys/security_win.h"
#include "sys/utf8.h"
#include "sys/volume_trust_win.h"

namespace {

// Who else may change what the handle is open on, named for the log; empty when nobody.
std::string Changers(const wchar_t* what, HANDLE handle) {
    const std::wstring who = sys::WhoElseMayChange(handle);
    return who.empty() ? std::string() : WideToUtf8(what) + ": " + WideToUtf8(who);
}

}  // namespace

bool ReadManifestOnce(IReadableFile& file, std::string& bytes, std::string& sha256) {
    bytes.clear();
    // Read to its end, whatever its size said: what is hashed is what was read.
    char chunk[64 * 1024];
    for (unsigned long long offset = 0;;) {
        unsigned long got = 0, error = 0;
        if (!file.ReadAt(offset, chunk, sizeof chunk, got, error)) return false;
        if (got == 0) break;
        if (bytes.size() + got > kMaxManifestBytes) return false;
        bytes.append(chunk, got);
        offset += got;
    }
    sha256 = sys::Sha256Of(bytes);
    return !sha256.empty();
}

std::unique_ptr<CWindowsOfflineLayout> CWindowsOfflineLayout::Open(const std::wstring& folder) {
    sys::CHeldFolder root = sys::CHeldFolder::OpenResolved(folder);
    if (!root.Valid()) return nullptr;
    sys::CHeldFolder packages = root.OpenFolder(L"packages");
    if (!packages.Valid()) {
        if (::GetLastError() == ERROR_CANT_ACCESS_FILE) sys::Log(L"the offline layout's packages\\ is a link: not used");
        return nullptr;
    }
    DWORD error = 0;
    const std::unique_ptr<sys::CFileReader> manifest = sys::OpenOutsideFileIn(packages, L"manifest.json", error);
    if (!manifest) {
        if (error != ERROR_FILE_NOT_FOUND)
            sys::Log(L"the offline layout's manifest cannot be read as a plain file with one name (error " +
                     std::to_wstring(error) + L")");
        return nullptr;
    }
    std::unique_ptr<CWindowsOfflineLayout> layout(new CWindowsOfflineLayout(std::move(root), std::move(packages)));
    if (!ReadManifestOnce(*manifest, layout->m_manifest, layout->m_sha256)) {
        sys::Log(L"the offline layout's manifest cannot be read, or is larger than any of ours");
        return nullptr;
    }
    const std::string where = sys::LayoutLocationDistrust(layout->m_root.Get());
    for (const std::string& changers : {where.empty() ? where : "the layout's folder: " + where,
                                        Changers(L"the layout's folder", layout->m_root.Get()),
                                        Changers(L"packages\\", layout->m_packages.Get()),
                                        Changers(L"packages\\manifest.json", manifest->Get())})
        if (layout->m_othersMayChange.empty()) layout->m_othersMayChange = changers;
    return layout;
}

sys::Result<std::unique_ptr<IReadableFile>> CWindowsOfflineLayout::OpenPackage(const std::wstring& name,
                                                                               std::string& othersMayChange) {
    DWORD opened = 0;
    std::unique_ptr<sys::CFileReader> file = sys::OpenOutsideFileIn(m_packages, name, opened);
    if (!file) return sys::Result<std::unique_ptr<IReadableFile>>::Failed(opened);
    othersMayChange = Changers((L"packages\\" + name).c_str(), file->Get());
    return std::unique_ptr<IReadableFile>(std::move(file));
}
