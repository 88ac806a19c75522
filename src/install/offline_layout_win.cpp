#include "install/offline_layout_win.h"

#include "install/layout_manifest.h"
#include "sys/file_checks_win.h"
#include "sys/file_reader_win.h"
#include "sys/log.h"
#include "sys/security_win.h"
#include "sys/utf8.h"

namespace {

// Who else may change what the handle is open on, named for the log; empty when nobody.
std::string Changers(const wchar_t* what, HANDLE handle) {
    const std::wstring who = sys::WhoElseMayChange(handle);
    return who.empty() ? std::string() : WideToUtf8(what) + ": " + WideToUtf8(who);
}

bool ReadAll(IReadableFile& file, std::string& bytes) {
    const unsigned long long size = file.Size();
    if (size > kMaxManifestBytes) return false;
    bytes.assign(static_cast<std::size_t>(size), '\0');
    unsigned long got = 0, error = 0;
    return size == 0 || (file.ReadAt(0, bytes.data(), static_cast<unsigned long>(size), got, error) && got == size);
}

}  // namespace

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
    if (!ReadAll(*manifest, layout->m_manifest)) {
        sys::Log(L"the offline layout's manifest cannot be read, or is larger than any of ours");
        return nullptr;
    }
    layout->m_sha256 = sys::FileSha256(manifest->Get());
    for (const std::string& changers : {Changers(L"the layout's folder", layout->m_root.Get()),
                                        Changers(L"packages\\", layout->m_packages.Get()),
                                        Changers(L"packages\\manifest.json", manifest->Get())})
        if (layout->m_othersMayChange.empty()) layout->m_othersMayChange = changers;
    return layout;
}

std::unique_ptr<IReadableFile> CWindowsOfflineLayout::OpenPackage(const std::wstring& name,
                                                                  std::string& othersMayChange, unsigned long& error) {
    DWORD opened = 0;
    std::unique_ptr<sys::CFileReader> file = sys::OpenOutsideFileIn(m_packages, name, opened);
    error = opened;
    if (file) othersMayChange = Changers((L"packages\\" + name).c_str(), file->Get());
    return file;
}
