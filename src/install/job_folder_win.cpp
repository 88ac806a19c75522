#include "install/job_folder_win.h"

#include <vector>

#include "install/held_file_win.h"
#include "install/unpacked_tree_win.h"
#include "net/transfer.h"
#include "sys/file_copy_win.h"
#include "sys/log.h"
#include "sys/process_time_win.h"
#include "sys/text_util.h"
#include "sys/utf8.h"

namespace {

// Administrators and SYSTEM change it, users may read it; what is made in it inherits that.
constexpr wchar_t kPackageCacheSecurity[] = L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";

// The cached copy, when it is there and still the package's bytes.
std::unique_ptr<IHeldFile> HeldIfSame(const sys::CHeldFolder& entry, const std::wstring& name,
                                      const std::string& sha256) {
    sys::CFileHandle file = entry.OpenFile(name, GENERIC_READ, FILE_SHARE_READ);
    if (!file.Valid()) return nullptr;
    auto held = std::make_unique<CWindowsHeldFile>(entry.PathOf(name), std::move(file));
    if (held->Sha256() != sha256) return nullptr;
    return held;
}

void NoteUse(const sys::CHeldFolder& entry) {
    entry.RemoveEntry(kPackageCacheNoteName);
    const sys::CFileHandle note = entry.CreateFile(kPackageCacheNoteName, GENERIC_WRITE, 0);
    const std::string text = PackageCacheNote(sys::NowFileTime());
    DWORD written = 0;
    if (!note.Valid() || !::WriteFile(note.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
        sys::Log(L"could not note the use of " + entry.Path());
}

}  // namespace

sys::Result<std::unique_ptr<IHeldFile>> CWindowsJobFolder::CopyIn(IReadableFile& source, const std::wstring& name,
                                                                   unsigned long long expectedSize,
                                                                   const TransferProgressFn& progress) {
    DWORD copyError = 0;
    if (!sys::CopyInto(m_folder->Folder(), name, source, expectedSize, kMaxPackageBytes, progress, copyError,
                       m_cancel)) {
        sys::Log(L"could not copy " + source.Path() + L" into " + Path() + L": error " + std::to_wstring(copyError));
        return sys::Result<std::unique_ptr<IHeldFile>>::Failed(copyError);
    }
    std::unique_ptr<IHeldFile> copy = Hold(name);
    if (!copy) return sys::Result<std::unique_ptr<IHeldFile>>::Failed(::GetLastError());
    return copy;
}

sys::Result<std::unique_ptr<IHeldFile>> CWindowsJobFolder::KeepInPackageCache(IHeldFile& installer,
                                                                               const std::string& sha256) {
    using Kept = sys::Result<std::unique_ptr<IHeldFile>>;
    // Users may read it: a repair or change a user starts reads the package again.
    sys::CHeldFolder cache = m_folder->WorkFolder().CreateFolder(kPackageCacheFolderName, kPackageCacheSecurity);
    if (!cache.Valid()) cache = m_folder->WorkFolder().OpenFolder(kPackageCacheFolderName);
    const sys::CHeldFolder entry = cache.Valid() ? cache.OpenOrCreateFolder(Utf8ToWide(sha256)) : sys::CHeldFolder();
    if (!entry.Valid()) return Kept::Failed(::GetLastError());
    const std::wstring& path = installer.Path();
    const std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
    std::unique_ptr<IHeldFile> kept = HeldIfSame(entry, name, sha256);
    if (!kept) {
        entry.RemoveEntry(name);  // another package's bytes under this hash: never ours to keep
        DWORD copyError = 0;
        if (!sys::CopyInto(entry, name, installer, installer.Size(), kMaxPackageBytes, nullptr, copyError))
            return Kept::Failed(copyError);
        kept = HeldIfSame(entry, name, sha256);
        if (!kept) return Kept::Failed(ERROR_FILE_CORRUPT);
    }
    NoteUse(entry);
    return kept;
}

std::unique_ptr<IHeldFile> CWindowsJobFolder::Hold(const std::wstring& relative) {
    const std::vector<std::wstring> parts = Split(relative, L'\\');
    if (parts.empty()) return nullptr;
    sys::CHeldFolder inner;
    const sys::CHeldFolder* folder = &m_folder->Folder();
    for (std::size_t i = 0; i + 1 < parts.size() && folder->Valid(); ++i) {
        inner = folder->OpenFolder(parts[i]);
        folder = &inner;
    }
    sys::CFileHandle file =
        folder->Valid() ? folder->OpenFile(parts.back(), GENERIC_READ, FILE_SHARE_READ) : sys::CFileHandle();
    if (!file.Valid()) {
        sys::Log(L"cannot hold " + JoinPath(Path(), relative));
        return nullptr;
    }
    return std::make_unique<CWindowsHeldFile>(JoinPath(Path(), relative), std::move(file));
}

std::wstring CWindowsJobFolder::FindFileRecursive(const std::wstring& sub, const std::wstring& name) {
    const sys::CHeldFolder folder = m_folder->Folder().OpenFolder(sub);
    const std::wstring found = folder.Valid() ? sys::FindFileRecursive(folder, name, true) : std::wstring();
    return found.empty() ? found : JoinPath(sub, found);
}

std::string CWindowsJobFolder::UnpackedRefusal(const std::wstring& sub) {
    const sys::CHeldFolder folder = m_folder->Folder().OpenFolder(sub);
    if (!folder.Valid()) return "nothing was unpacked";
    std::vector<TreeEntry> entries;
    CollectTree(folder, L"", entries);
    return ::UnpackedTreeRefusal(folder.Path(), entries);
}
