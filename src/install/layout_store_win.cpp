#include "install/layout_store_win.h"

#include <atomic>
#include <vector>

#include "install/layout_manifest.h"
#include "net/transfer.h"
#include "sys/file_checks_win.h"
#include "sys/file_copy_win.h"
#include "sys/file_reader_win.h"
#include "sys/file_rules.h"
#include "sys/log.h"
#include "sys/platform.h"
#include "sys/security_win.h"
#include "sys/text_util.h"
#include "sys/utf8.h"
#include "sys/volume_trust_win.h"

namespace {

// Readable by everyone; only Administrators and SYSTEM change it, so that an
// install may take its packages on the folder's word.
constexpr wchar_t kLayoutFolder[] = L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;WD)";

class CMemoryFile : public IReadableFile {
public:
    CMemoryFile(std::wstring path, const std::string& bytes) : m_path(std::move(path)), m_bytes(bytes) {}
    const std::wstring& Path() const override { return m_path; }
    unsigned long long Size() override { return m_bytes.size(); }
    bool ReadAt(unsigned long long offset, void* buffer, unsigned long size, unsigned long& got,
                unsigned long&) override {
        got = offset >= m_bytes.size() ? 0 : static_cast<unsigned long>(std::min<unsigned long long>(size, m_bytes.size() - offset));
        std::copy_n(m_bytes.data() + offset, got, static_cast<char*>(buffer));
        return true;
    }

private:
    std::wstring m_path;
    const std::string& m_bytes;
};

std::wstring TemporaryName(const std::wstring& name) {
    static std::atomic<unsigned long> serial{0};
    return name + L"." + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++serial) + L".new";
}

// A new file with source's content under a temporary name, then renamed to name.
sys::Status WriteInto(const sys::CHeldFolder& folder, const std::wstring& name, IReadableFile& source) {
    DWORD copyError = ERROR_ALREADY_EXISTS;
    sys::CFileHandle file;
    // A name someone made first is never written to: another one is taken.
    for (int tries = 0; !file.Valid() && copyError == ERROR_ALREADY_EXISTS && tries < 10; ++tries)
        file = sys::CopyToNewFile(folder, TemporaryName(name), source, source.Size(), kMaxPackageBytes, nullptr,
                                  copyError);
    if (!file.Valid()) return {copyError};
    if (folder.MoveInto(file.Get(), name)) return {};
    const sys::Status failed{::GetLastError()};
    sys::MarkForDeletion(file.Get());
    return failed;
}

bool IsProgramsFolder(const sys::CHeldFolder& folder) {
    const sys::CHeldFolder program = sys::CHeldFolder::OpenResolved(FolderOf(sys::ExecutablePath()));
    return program.Valid() && sys::IdOf(program.Get()) == sys::IdOf(folder.Get());
}

}  // namespace

std::unique_ptr<CWindowsLayoutStore> CWindowsLayoutStore::Open(const std::wstring& folder, DWORD& error) {
    const sys::CLocalMemory security = sys::SecurityFromSddl(kLayoutFolder);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, security.Get(), FALSE};
    if (!::CreateDirectoryW(folder.c_str(), &attributes) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        error = ::GetLastError();
        return nullptr;
    }
    sys::CHeldFolder root = sys::CHeldFolder::Open(folder);
    sys::CHeldFolder packages = root.Valid() ? root.OpenOrCreateFolder(L"packages") : sys::CHeldFolder();
    if (!packages.Valid()) {
        error = ::GetLastError();
        return nullptr;
    }
    const bool own = IsProgramsFolder(root);
    return std::unique_ptr<CWindowsLayoutStore>(new CWindowsLayoutStore(std::move(root), std::move(packages), own));
}

std::string CWindowsLayoutStore::ReadManifest() {
    DWORD error = 0;
    const std::unique_ptr<sys::CFileReader> file = sys::OpenOutsideFileIn(m_packages, L"manifest.json", error);
    std::string bytes;
    if (!file || file->Size() > kMaxManifestBytes) return bytes;
    bytes.resize(static_cast<std::size_t>(file->Size()));
    unsigned long got = 0, readError = 0;
    if (!file->ReadAt(0, bytes.data(), static_cast<unsigned long>(bytes.size()), got, readError) || got != bytes.size())
        bytes.clear();
    return bytes;
}

std::string CWindowsLayoutStore::OthersMayChange() {
    const std::string where = sys::LayoutLocationDistrust(m_root.Get());
    if (!where.empty()) return "the layout's folder: " + where;
    for (const sys::CHeldFolder* folder : {&m_root, &m_packages}) {
        const std::wstring who = sys::WhoElseMayChange(folder->Get());
        if (!who.empty()) return WideToUtf8(folder->Path()) + ": " + WideToUtf8(who);
    }
    return std::string();
}

sys::Status CWindowsLayoutStore::WriteManifest(const std::string& json) {
    CMemoryFile manifest(m_packages.PathOf(L"manifest.json"), json);
    return WriteInto(m_packages, L"manifest.json", manifest);
}

bool CWindowsLayoutStore::Holds(const std::wstring& name, unsigned long long size, const std::string& sha256) {
    DWORD error = 0;
    const std::unique_ptr<sys::CFileReader> file = sys::OpenOutsideFileIn(m_packages, name, error);
    return file && file->Size() == size && sys::FileSha256(file->Get()) == sha256;
}

sys::Status CWindowsLayoutStore::Store(IReadableFile& file, const std::wstring& name) {
    return WriteInto(m_packages, name, file);
}

sys::Status CWindowsLayoutStore::CopyProgram() {
    if (m_programsOwn) return {};
    const std::wstring program = sys::ExecutablePath();
    DWORD opened = 0;
    const std::unique_ptr<sys::CFileReader> exe = sys::OpenOutsideFile(program, opened);
    if (!exe) return {opened};
    if (const sys::Status written = WriteInto(m_root, L"Installer.exe", *exe); !written) return written;
    const sys::CHeldFolder data = m_root.OpenOrCreateFolder(L"data");
    if (!data.Valid()) return {::GetLastError()};
    const sys::CHeldFolder delivered = sys::CHeldFolder::OpenResolved(JoinPath(FolderOf(program), L"data"));
    if (!delivered.Valid()) return {::GetLastError()};
    sys::Status all;
    for (const sys::DirEntry& entry : delivered.List()) {
        if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) || sys::IsLinkReparse(entry.attributes, entry.reparseTag))
            continue;
        const std::unique_ptr<sys::CFileReader> file = sys::OpenOutsideFileIn(delivered, entry.name, opened);
        const sys::Status copied = file ? WriteInto(data, entry.name, *file) : sys::Status{opened};
        if (!copied) all = copied;
    }
    return all;
}
