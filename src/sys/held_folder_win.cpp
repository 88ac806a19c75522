#include "sys/held_folder_win.h"

#include "sys/busy_retry_win.h"

#include <winternl.h>
#include <sddl.h>

#include <algorithm>

namespace sys {

namespace {

// What a holder may do with a folder; no deletion, so that its handle blocks
// every rename and delete of the folder but lets other holders in.
constexpr ACCESS_MASK kHoldFolder = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL |
                                    SYNCHRONIZE;
constexpr ULONG kHoldShare = FILE_SHARE_READ | FILE_SHARE_WRITE;

bool IsSingleName(const std::wstring& name) {
    return !name.empty() && name != L"." && name != L".." && name.find_first_of(L"\\/:") == std::wstring::npos;
}

// Opens or creates name inside the folder of root, never following a link.
CFileHandle OpenRelative(HANDLE root, const std::wstring& name, ACCESS_MASK access, ULONG share, ULONG disposition,
                         ULONG options, PSECURITY_DESCRIPTOR security = nullptr) {
    if (!IsSingleName(name) || name.size() > 32767) {
        ::SetLastError(ERROR_INVALID_NAME);
        return CFileHandle();
    }
    UNICODE_STRING text;
    text.Buffer = const_cast<wchar_t*>(name.c_str());
    text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
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

bool IsPlainFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsPlainFile(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

bool MarkForDeletion(HANDLE handle, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_READONLY) {  // a read-only file refuses to go
        FILE_BASIC_INFO basic = {};
        basic.FileAttributes = (attributes & ~FILE_ATTRIBUTE_READONLY) ? (attributes & ~FILE_ATTRIBUTE_READONLY)
                                                                         : FILE_ATTRIBUTE_NORMAL;
        ::SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic);
    }
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return ::SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

}  // namespace

FileId IdOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!::GetFileInformationByHandle(handle, &info)) return FileId{};
    return FileId{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

CHeldFolder CHeldFolder::Open(const std::wstring& path) {
    CFileHandle handle(::CreateFileW(path.c_str(), kHoldFolder, kHoldShare, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle.Valid() || !IsPlainFolder(AttributesOf(handle.Get()))) return CHeldFolder();
    return CHeldFolder(std::move(handle), path);
}

CHeldFolder CHeldFolder::Adopt(CFileHandle handle, std::wstring path) {
    if (!handle.Valid() || !IsPlainFolder(AttributesOf(handle.Get()))) return CHeldFolder();
    return CHeldFolder(std::move(handle), std::move(path));
}

std::vector<DirEntry> CHeldFolder::List() const {
    std::vector<DirEntry> entries;
    std::vector<unsigned char> buffer(64 * 1024);
    auto kind = FileIdBothDirectoryRestartInfo;
    while (::GetFileInformationByHandleEx(m_handle.Get(), kind, buffer.data(), static_cast<DWORD>(buffer.size()))) {
        kind = FileIdBothDirectoryInfo;
        for (std::size_t at = 0;;) {
            const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer.data() + at);
            std::wstring name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") entries.push_back({std::move(name), entry->FileAttributes});
            if (entry->NextEntryOffset == 0) break;
            at += entry->NextEntryOffset;
        }
    }
    return entries;
}

CHeldFolder CHeldFolder::OpenFolder(const std::wstring& name) const {
    CFileHandle handle = OpenRelative(m_handle.Get(), name, kHoldFolder, kHoldShare, FILE_OPEN, FILE_DIRECTORY_FILE);
    if (!handle.Valid() || !IsPlainFolder(AttributesOf(handle.Get()))) return CHeldFolder();
    return CHeldFolder(std::move(handle), PathOf(name));
}

CHeldFolder CHeldFolder::CreateFolder(const std::wstring& name, const wchar_t* sddl) const {
    CLocalMemory security;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            sddl, SDDL_REVISION_1, reinterpret_cast<PSECURITY_DESCRIPTOR*>(security.Put()), nullptr))
        return CHeldFolder();
    CFileHandle handle =
        OpenRelative(m_handle.Get(), name, kHoldFolder, kHoldShare, FILE_CREATE, FILE_DIRECTORY_FILE, security.Get());
    if (!handle.Valid()) return CHeldFolder();
    return CHeldFolder(std::move(handle), PathOf(name));
}

CFileHandle CHeldFolder::OpenFile(const std::wstring& name, ACCESS_MASK access, ULONG share) const {
    CFileHandle handle;
    RetryWhileBusy([&] {
        handle = OpenRelative(m_handle.Get(), name, access, share, FILE_OPEN, FILE_NON_DIRECTORY_FILE);
        return handle.Valid();
    });
    if (handle.Valid() && !IsPlainFile(AttributesOf(handle.Get()))) {
        ::SetLastError(ERROR_CANT_ACCESS_FILE);
        return CFileHandle();
    }
    return handle;
}

CFileHandle CHeldFolder::CreateFile(const std::wstring& name, ACCESS_MASK access, ULONG share) const {
    return OpenRelative(m_handle.Get(), name, access, share, FILE_CREATE, FILE_NON_DIRECTORY_FILE);
}

bool CHeldFolder::RemoveEntry(const std::wstring& name, const FileId* expected) const {
    CFileHandle entry = OpenRelative(m_handle.Get(), name,
                                     DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN, 0);
    if (!entry.Valid()) return false;
    if (expected && !(IdOf(entry.Get()) == *expected)) return false;
    const DWORD attributes = AttributesOf(entry.Get());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (IsPlainFolder(attributes)) {
        const CHeldFolder folder(std::move(entry), PathOf(name));
        if (!folder.RemoveContents()) return false;
        return MarkForDeletion(folder.Get(), attributes);
    }
    return MarkForDeletion(entry.Get(), attributes);  // a file, or a link as itself
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
    if (IsPlainFolder(attributes)) {
        const CHeldFolder folder = CHeldFolder::Adopt(std::move(entry), path);
        return folder.RemoveContents() && MarkForDeletion(folder.Get(), attributes);
    }
    return attributes != INVALID_FILE_ATTRIBUTES && MarkForDeletion(entry.Get(), attributes);
}

namespace {
bool NameOrder(const DirEntry& a, const DirEntry& b) { return ::_wcsicmp(a.name.c_str(), b.name.c_str()) < 0; }
bool Named(const DirEntry& entry, const std::wstring& name) { return ::_wcsicmp(entry.name.c_str(), name.c_str()) == 0; }
bool IsFolderEntry(const DirEntry& entry) { return (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
bool IsLinkEntry(const DirEntry& entry) { return (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
}  // namespace

namespace {
// The entry named name in folder itself; folders count only with foldersToo.
std::wstring FindHere(const std::vector<DirEntry>& entries, const std::wstring& name, bool foldersToo) {
    for (const DirEntry& entry : entries)
        if (Named(entry, name) && !IsLinkEntry(entry) && (foldersToo || !IsFolderEntry(entry))) return entry.name;
    return std::wstring();
}
}  // namespace

std::wstring FindShallowest(const CHeldFolder& folder, const std::wstring& name, bool descend) {
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

bool CopyInto(const CHeldFolder& folder, const std::wstring& name, const std::wstring& source,
              const std::function<void(int)>& progress) {
    CFileHandle from;
    RetryWhileBusy([&] {
        from.Reset(::CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        return from.Valid();
    });
    LARGE_INTEGER size = {};
    if (!from.Valid() || !IsPlainFile(AttributesOf(from.Get())) || !::GetFileSizeEx(from.Get(), &size)) return false;
    CFileHandle to = folder.CreateFile(name, GENERIC_WRITE | DELETE, 0);
    if (!to.Valid()) return false;
    std::vector<char> chunk(1 << 20);
    unsigned long long copied = 0;
    int reported = -1;
    for (;;) {
        DWORD got = 0, written = 0;
        if (!::ReadFile(from.Get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) break;
        if (got == 0) return true;
        if (!::WriteFile(to.Get(), chunk.data(), got, &written, nullptr) || written != got) break;
        copied += got;
        const int percent = size.QuadPart > 0 ? static_cast<int>(copied * 100 / size.QuadPart) : 100;
        if (progress && percent != reported) progress(reported = percent);
    }
    const DWORD error = ::GetLastError();
    MarkForDeletion(to.Get(), 0);  // no half copy stays behind
    ::SetLastError(error);
    return false;
}

}  // namespace sys
