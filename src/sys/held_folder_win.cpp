#include "sys/held_folder_win.h"

#include <winternl.h>

#include <algorithm>

#include "sys/busy_retry_win.h"
#include "sys/file_rules.h"
#include "sys/security_win.h"

extern "C" {
NTSTATUS NTAPI NtSetInformationFile(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, FILE_INFORMATION_CLASS);
NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE, HANDLE, PIO_APC_ROUTINE, PVOID, PIO_STATUS_BLOCK, PVOID, ULONG,
                                    FILE_INFORMATION_CLASS, BOOLEAN, PUNICODE_STRING, BOOLEAN);
}

namespace sys {

namespace {

// What a holder may do with a folder; no deletion, so that its handle blocks
// every rename and delete of the folder but lets other holders in.
constexpr ACCESS_MASK kHoldFolder = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL |
                                    SYNCHRONIZE;
constexpr ULONG kHoldShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
// NtQueryDirectoryFile's and NtSetInformationFile's classes, as numbered by Windows.
constexpr int kFileFullDirectoryInformation = 2, kFileRenameInformation = 10;
constexpr FILE_INFO_BY_HANDLE_CLASS kFileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
constexpr ULONG kDispositionDelete = 0x1, kDispositionPosix = 0x2, kDispositionIgnoreReadOnly = 0x10;

bool IsSingleName(const std::wstring& name) {
    return !name.empty() && name != L"." && name != L".." && name.find_first_of(L"\\/:") == std::wstring::npos;
}

UNICODE_STRING Counted(const std::wstring& text) {
    UNICODE_STRING counted;
    counted.Buffer = const_cast<wchar_t*>(text.c_str());
    counted.Length = counted.MaximumLength = static_cast<USHORT>(text.size() * sizeof(wchar_t));
    return counted;
}

// Opens or creates name inside the folder of root, never following a link;
// an empty name opens root itself again.
CFileHandle OpenRelative(HANDLE root, const std::wstring& name, ACCESS_MASK access, ULONG share, ULONG disposition,
                         ULONG options, PSECURITY_DESCRIPTOR security = nullptr) {
    if ((!name.empty() && !IsSingleName(name)) || name.size() > 32767) {
        ::SetLastError(ERROR_INVALID_NAME);
        return CFileHandle();
    }
    UNICODE_STRING text = Counted(name);
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, root, security);
    IO_STATUS_BLOCK io = {};
    HANDLE handle = nullptr;
    const NTSTATUS status =
        ::NtCreateFile(&handle, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, share,
                       disposition, options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    if (status < 0) {
        ::SetLastError(::RtlNtStatusToDosError(status));
        return CFileHandle();
    }
    return CFileHandle(handle);
}

DWORD AttributesOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info = {};
    return ::GetFileInformationByHandle(handle, &info) ? info.dwFileAttributes : INVALID_FILE_ATTRIBUTES;
}

// What an entry is: its attributes, and its tag when it is a reparse point.
struct Kind {
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    DWORD tag = 0;
};

Kind KindOf(HANDLE handle) {
    FILE_ATTRIBUTE_TAG_INFO info = {};
    if (::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof info))
        return {info.FileAttributes, info.ReparseTag};
    return {AttributesOf(handle), 0};
}

// A folder or file that is no link: a placeholder of another kind (OneDrive's) is the thing itself.
bool IsPlainFolder(const Kind& kind) {
    return kind.attributes != INVALID_FILE_ATTRIBUTES && (kind.attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !IsLinkReparse(kind.attributes, kind.tag);
}

bool IsPlainFile(const Kind& kind) {
    return kind.attributes != INVALID_FILE_ATTRIBUTES && !(kind.attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !IsLinkReparse(kind.attributes, kind.tag);
}


void ClearReadOnly(HANDLE handle) {
    const DWORD attributes = AttributesOf(handle);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) return;
    FILE_BASIC_INFO basic = {};
    basic.FileAttributes = (attributes & ~FILE_ATTRIBUTE_READONLY) ? (attributes & ~FILE_ATTRIBUTE_READONLY)
                                                                     : FILE_ATTRIBUTE_NORMAL;
    ::SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic);
}

}  // namespace

FileId IdOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!::GetFileInformationByHandle(handle, &info)) return FileId{};
    return FileId{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

CFileHandle ThroughFilter(CFileHandle handle, ACCESS_MASK access, ULONG share, DWORD flags) {
    if (!handle.Valid() || !(KindOf(handle.Get()).attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return handle;
    CFileHandle reopened(::ReOpenFile(handle.Get(), access, share, flags));
    if (!reopened.Valid() || !(IdOf(reopened.Get()) == IdOf(handle.Get()))) return CFileHandle();
    return reopened;
}

DWORD NamesOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info = {};
    return ::GetFileInformationByHandle(handle, &info) ? info.nNumberOfLinks : 0;
}

bool MarkForDeletion(HANDLE handle) {
    return MarkWithFirstWayTaken([handle](DeletionWay way) -> unsigned long {
        BOOL marked = FALSE;
        if (way == DeletionWay::Classic) {
            ClearReadOnly(handle);  // a read-only file refuses to go without the flag that ignores it
            FILE_DISPOSITION_INFO classic = {TRUE};
            marked = ::SetFileInformationByHandle(handle, FileDispositionInfo, &classic, sizeof classic);
        } else {
            if (way == DeletionWay::Posix) ClearReadOnly(handle);
            struct { DWORD flags; } posix = {kDispositionDelete | kDispositionPosix |
                                             (way == DeletionWay::PosixIgnoringReadOnly ? kDispositionIgnoreReadOnly : 0)};
            marked = ::SetFileInformationByHandle(handle, kFileDispositionInfoEx, &posix, sizeof posix);
        }
        return marked ? 0 : ::GetLastError();
    });
}

CHeldFolder CHeldFolder::Open(const std::wstring& path) {
    CFileHandle handle(::CreateFileW(path.c_str(), kHoldFolder, kHoldShare, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle.Valid()) return CHeldFolder();
    // Wine shows a link to a folder only where the folder above lists it.
    Kind listed{::GetFileAttributesW(path.c_str()), 0};
    if (listed.attributes != INVALID_FILE_ATTRIBUTES && (listed.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW entry = {};  // its tag, as the folder above lists it
        const CFindHandle found(::FindFirstFileW(path.c_str(), &entry));
        if (found.Valid()) listed.tag = entry.dwReserved0;
    }
    if (!IsPlainFolder(KindOf(handle.Get())) || !IsPlainFolder(listed)) {
        ::SetLastError(ERROR_CANT_ACCESS_FILE);
        return CHeldFolder();
    }
    return Adopt(ThroughFilter(std::move(handle), kHoldFolder, kHoldShare, FILE_FLAG_BACKUP_SEMANTICS), path);
}

CHeldFolder CHeldFolder::OpenResolved(const std::wstring& path) {
    CFileHandle handle(::CreateFileW(path.c_str(), kHoldFolder, kHoldShare, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return Adopt(std::move(handle), path);
}

CHeldFolder CHeldFolder::Adopt(CFileHandle handle, std::wstring path) {
    if (!handle.Valid() || !IsPlainFolder(KindOf(handle.Get()))) return CHeldFolder();
    return CHeldFolder(std::move(handle), std::move(path));
}

bool CHeldFolder::List(std::vector<DirEntry>& entries) const {
    entries.clear();
    std::vector<unsigned char> buffer(64 * 1024);
    auto kind = FileIdBothDirectoryRestartInfo;
    while (::GetFileInformationByHandleEx(m_handle.Get(), kind, buffer.data(), static_cast<DWORD>(buffer.size()))) {
        kind = FileIdBothDirectoryInfo;
        for (std::size_t at = 0;;) {
            const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer.data() + at);
            std::wstring name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
            // A reparse point's tag comes where an EA size would.
            if (name != L"." && name != L"..")
                entries.push_back({std::move(name), entry->FileAttributes,
                                   static_cast<unsigned long long>(entry->LastWriteTime.QuadPart),
                                   static_cast<unsigned long long>(entry->EndOfFile.QuadPart),
                                   (entry->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? entry->EaSize : 0});
            if (entry->NextEntryOffset == 0) break;
            at += entry->NextEntryOffset;
        }
    }
    return ::GetLastError() == ERROR_NO_MORE_FILES;
}

std::vector<DirEntry> CHeldFolder::List() const {
    std::vector<DirEntry> entries;
    List(entries);
    return entries;
}

DWORD CHeldFolder::ListedAttributes(const std::wstring& name, DWORD& tag) const {
    tag = 0;
    // A handle of its own: a listing keeps the first name it was asked for.
    const CFileHandle listing =
        OpenRelative(m_handle.Get(), L"", FILE_LIST_DIRECTORY, kHoldShare | FILE_SHARE_DELETE, FILE_OPEN,
                     FILE_DIRECTORY_FILE);
    if (!listing.Valid()) return INVALID_FILE_ATTRIBUTES;
    // FILE_FULL_DIR_INFORMATION: a reparse point's tag where the EA size would be.
    struct FullDirInfo {
        ULONG nextEntryOffset, fileIndex;
        LARGE_INTEGER creation, lastAccess, lastWrite, change, endOfFile, allocation;
        ULONG attributes, nameLength, eaSize;
        WCHAR name[1];
    };
    alignas(8) unsigned char buffer[sizeof(FullDirInfo) + 520 * sizeof(wchar_t)];
    UNICODE_STRING mask = Counted(name);
    IO_STATUS_BLOCK io = {};
    if (::NtQueryDirectoryFile(listing.Get(), nullptr, nullptr, nullptr, &io, buffer, sizeof buffer,
                               static_cast<FILE_INFORMATION_CLASS>(kFileFullDirectoryInformation), TRUE, &mask, TRUE) < 0)
        return INVALID_FILE_ATTRIBUTES;
    const auto* entry = reinterpret_cast<const FullDirInfo*>(buffer);
    if (entry->attributes & FILE_ATTRIBUTE_REPARSE_POINT) tag = entry->eaSize;
    return entry->attributes;
}

CHeldFolder CHeldFolder::OpenFolder(const std::wstring& name) const {
    CFileHandle handle = OpenRelative(m_handle.Get(), name, kHoldFolder, kHoldShare, FILE_OPEN, FILE_DIRECTORY_FILE);
    if (!handle.Valid()) return CHeldFolder();
    DWORD tag = 0;
    const DWORD listed = ListedAttributes(name, tag);
    if (!IsPlainFolder(KindOf(handle.Get())) || !IsPlainFolder(Kind{listed, tag})) {
        ::SetLastError(ERROR_CANT_ACCESS_FILE);
        return CHeldFolder();
    }
    handle = ThroughFilter(std::move(handle), kHoldFolder, kHoldShare, FILE_FLAG_BACKUP_SEMANTICS);
    if (!handle.Valid()) return CHeldFolder();
    return CHeldFolder(std::move(handle), PathOf(name));
}

CHeldFolder CHeldFolder::CreateFolder(const std::wstring& name, const wchar_t* sddl) const {
    CLocalMemory security;
    if (sddl && !(security = SecurityFromSddl(sddl)).Valid()) return CHeldFolder();
    CFileHandle handle =
        OpenRelative(m_handle.Get(), name, kHoldFolder, kHoldShare, FILE_CREATE, FILE_DIRECTORY_FILE, security.Get());
    if (!handle.Valid()) return CHeldFolder();
    return CHeldFolder(std::move(handle), PathOf(name));
}

CHeldFolder CHeldFolder::OpenOrCreateFolder(const std::wstring& name) const {
    CHeldFolder folder = CreateFolder(name, nullptr);
    if (folder.Valid() || ::GetLastError() != ERROR_ALREADY_EXISTS) return folder;
    return OpenFolder(name);
}

std::string CHeldFolder::ReadNote(const std::wstring& name, bool waitWhileBusy) const {
    const CFileHandle note = OpenFile(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, waitWhileBusy);
    std::string text(4096, '\0');
    DWORD got = 0;
    // A note with a second name is someone else's file: what it says is not ours.
    if (!note.Valid() || NamesOf(note.Get()) != 1 ||
        !::ReadFile(note.Get(), text.data(), static_cast<DWORD>(text.size()), &got, nullptr))
        return std::string();
    text.resize(got);
    return text;
}

CFileHandle CHeldFolder::OpenFile(const std::wstring& name, ACCESS_MASK access, ULONG share, bool waitWhileBusy) const {
    CFileHandle handle;
    const auto open = [&] {
        handle = OpenRelative(m_handle.Get(), name, access, share, FILE_OPEN, FILE_NON_DIRECTORY_FILE);
        return handle.Valid();
    };
    if (waitWhileBusy) RetryWhileBusy(open);
    else open();
    if (handle.Valid() && !IsPlainFile(KindOf(handle.Get()))) {
        ::SetLastError(ERROR_CANT_ACCESS_FILE);
        return CFileHandle();
    }
    return handle;
}

CFileHandle CHeldFolder::CreateFile(const std::wstring& name, ACCESS_MASK access, ULONG share,
                                    PSECURITY_DESCRIPTOR security) const {
    return OpenRelative(m_handle.Get(), name, access, share, FILE_CREATE, FILE_NON_DIRECTORY_FILE, security);
}

bool CHeldFolder::MoveInto(HANDLE file, const std::wstring& name) const {
    if (!IsSingleName(name)) {
        ::SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    // The kernel's own call: kernel32's refuses a folder to rename into on Wine.
    struct Rename {
        BOOLEAN replaceIfExists;
        HANDLE rootDirectory;
        ULONG fileNameLength;
        WCHAR fileName[1];
    };
    std::vector<unsigned char> buffer(sizeof(Rename) + name.size() * sizeof(wchar_t));
    auto* rename = reinterpret_cast<Rename*>(buffer.data());
    rename->replaceIfExists = TRUE;
    rename->rootDirectory = m_handle.Get();
    rename->fileNameLength = static_cast<ULONG>(name.size() * sizeof(wchar_t));
    std::copy(name.begin(), name.end(), rename->fileName);
    return RetryWhileBusy([&] {
        IO_STATUS_BLOCK io = {};
        const NTSTATUS status = ::NtSetInformationFile(file, &io, buffer.data(), static_cast<ULONG>(buffer.size()),
                                                       static_cast<FILE_INFORMATION_CLASS>(kFileRenameInformation));
        if (status >= 0) return true;
        ::SetLastError(::RtlNtStatusToDosError(status));
        return false;
    });
}

bool CHeldFolder::RemoveEntry(const std::wstring& name, const FileId* expected) const {
    CFileHandle entry = OpenRelative(m_handle.Get(), name,
                                     DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN, 0);
    if (!entry.Valid()) return false;
    if (expected && !(IdOf(entry.Get()) == *expected)) return false;
    const DWORD attributes = AttributesOf(entry.Get());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    // A reparse point is removed as itself: what Wine lists as one is not gone into.
    DWORD tag = 0;
    const DWORD listed = ListedAttributes(name, tag);
    const auto strictFolder = [](DWORD a) {
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT);
    };
    if (strictFolder(attributes) && strictFolder(listed)) {
        const CHeldFolder folder(std::move(entry), PathOf(name));
        if (!folder.RemoveContents()) return false;
        return MarkForDeletion(folder.Get());
    }
    return MarkForDeletion(entry.Get());  // a file, or a link as itself
}

bool CHeldFolder::RemoveContents() const {
    bool all = true;
    for (const DirEntry& entry : List()) all = RemoveEntry(entry.name) && all;
    return all;
}

bool RemovePath(const std::wstring& path) {
    CFileHandle entry(::CreateFileW(path.c_str(), DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!entry.Valid()) return false;
    const DWORD attributes = AttributesOf(entry.Get());
    // Wine shows a link to a folder only where the folder above lists it.
    const DWORD listed = ::GetFileAttributesW(path.c_str());
    const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
                      (listed != INVALID_FILE_ATTRIBUTES && (listed & FILE_ATTRIBUTE_REPARSE_POINT));
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !link) {
        const CHeldFolder folder = CHeldFolder::Adopt(std::move(entry), path);
        return folder.RemoveContents() && MarkForDeletion(folder.Get());
    }
    return attributes != INVALID_FILE_ATTRIBUTES && MarkForDeletion(entry.Get());
}

namespace {
bool NameOrder(const DirEntry& a, const DirEntry& b) { return ::_wcsicmp(a.name.c_str(), b.name.c_str()) < 0; }
bool Named(const DirEntry& entry, const std::wstring& name) { return ::_wcsicmp(entry.name.c_str(), name.c_str()) == 0; }
bool IsFolderEntry(const DirEntry& entry) { return (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
bool IsLinkEntry(const DirEntry& entry) { return IsLinkReparse(entry.attributes, entry.reparseTag); }

// The entry named name in folder itself; folders count only with foldersToo.
std::wstring FindHere(const std::vector<DirEntry>& entries, const std::wstring& name, bool foldersToo) {
    for (const DirEntry& entry : entries)
        if (Named(entry, name) && !IsLinkEntry(entry) && (foldersToo || !IsFolderEntry(entry))) return entry.name;
    return std::wstring();
}
}  // namespace

std::wstring FindFileRecursive(const CHeldFolder& folder, const std::wstring& name, bool descend) {
    if (name.empty()) return std::wstring();
    std::vector<DirEntry> entries = folder.List();
    const std::wstring here = FindHere(entries, name, !descend);
    if (!here.empty() || !descend) return here;
    std::sort(entries.begin(), entries.end(), NameOrder);
    for (const DirEntry& entry : entries) {
        if (!IsFolderEntry(entry) || IsLinkEntry(entry)) continue;
        const CHeldFolder sub = folder.OpenFolder(entry.name);
        const std::wstring found = sub.Valid() ? FindHere(sub.List(), name, false) : std::wstring();
        if (!found.empty()) return entry.name + L"\\" + found;
    }
    return std::wstring();
}

}  // namespace sys
