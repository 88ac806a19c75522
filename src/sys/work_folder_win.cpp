#include "sys/paths.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <atomic>
#include <mutex>

#include "sys/folder_trust.h"
#include "sys/handle_win.h"
#include "sys/platform.h"

namespace {

// Full control for Administrators and SYSTEM, nothing inherited, nobody else.
constexpr wchar_t kAdminOnly[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

bool CreateAdminOnlyFolder(const std::wstring& path) {
    sys::CLocalMemory descriptor;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            kAdminOnly, SDDL_REVISION_1, reinterpret_cast<PSECURITY_DESCRIPTOR*>(descriptor.Put()), nullptr))
        return false;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor.Get(), FALSE};
    return ::CreateDirectoryW(path.c_str(), &attributes) != FALSE;
}

std::wstring SidText(PSID sid) {
    sys::CLocalMemory text;
    if (!sid || !::ConvertSidToStringSidW(sid, reinterpret_cast<LPWSTR*>(text.Put()))) return std::wstring();
    return static_cast<const wchar_t*>(text.Get());
}

std::wstring ProcessUserSid() {
    sys::CKernelHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Put())) return std::wstring();
    DWORD size = 0;
    ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::wstring sid;
    if (size > 0) {
        std::string buffer(size, '\0');
        if (::GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size))
            sid = SidText(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
    }
    return sid;
}

AccessEntry ReadEntry(const ACE_HEADER* header) {
    AccessEntry entry;
    if (header->AceType == ACCESS_ALLOWED_ACE_TYPE || header->AceType == ACCESS_DENIED_ACE_TYPE) {
        // Both kinds share this layout.
        const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
        entry.allow = header->AceType == ACCESS_ALLOWED_ACE_TYPE;
        entry.sid = SidText(const_cast<DWORD*>(&ace->SidStart));
        entry.mask = ace->Mask;
    } else {
        entry.mask = ~0ul;  // a kind we do not read: assume the worst
    }
    return entry;
}

bool ReadFolderSecurity(HANDLE folder, FolderSecurity& security) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    sys::CLocalMemory descriptor;
    if (::GetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                          nullptr, &dacl, nullptr, reinterpret_cast<PSECURITY_DESCRIPTOR*>(descriptor.Put())) !=
        ERROR_SUCCESS)
        return false;
    security.owner = SidText(owner);
    security.hasDacl = dacl != nullptr;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (::GetAce(dacl, i, &ace)) security.dacl.push_back(ReadEntry(static_cast<ACE_HEADER*>(ace)));
    }
    return true;
}

// A real folder (no link) that only administrators can change.
bool IsAdminOnlyFolder(const std::wstring& path) {
    sys::CFileHandle folder(::CreateFileW(path.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                          nullptr));
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!folder.Valid() || !::GetFileInformationByHandle(folder.Get(), &info)) return false;
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    FolderSecurity security;
    return ReadFolderSecurity(folder.Get(), security) && OnlyAdministratorsMayChange(security, ProcessUserSid());
}

// The work folder under base, replacing one that others could change. The
// old one is renamed, which moves a link itself and never follows it.
std::wstring EnsureAdminOnlyFolder(const std::wstring& path) {
    static std::mutex lock;  // two jobs must not both replace it
    std::lock_guard<std::mutex> guard(lock);
    if (CreateAdminOnlyFolder(path) || IsAdminOnlyFolder(path)) return path;
    const std::wstring aside = path + L".untrusted-" + std::to_wstring(::GetTickCount64());
    sys::DebugOutput((L"work folder others could change, moved to " + aside + L"\n").c_str());
    if (!::MoveFileExW(path.c_str(), aside.c_str(), 0) || !CreateAdminOnlyFolder(path)) return std::wstring();
    return path;
}

bool ProcessIsRunning(unsigned long pid) {
    sys::CKernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, pid));
    return process.Valid() && ::WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
}

// Everything in the work folder but the job folders of running installers:
// packages and temporary files of earlier runs, and what others planted.
void RemoveStaleWork(const std::wstring& work) {
    WIN32_FIND_DATAW entry = {};
    sys::CFindHandle find(::FindFirstFileW((work + L"\\*").c_str(), &entry));
    if (!find.Valid()) return;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        const unsigned long pid = JobFolderProcess(name);
        if (pid != 0 && (pid == ::GetCurrentProcessId() || ProcessIsRunning(pid))) continue;
        RemoveTree(work + L"\\" + name);
    } while (::FindNextFileW(find.Get(), &entry));
}

}  // namespace

std::wstring GetWorkFolder(const std::wstring& sub) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_DEFAULT, path)))
        return std::wstring();
    ::PathAppendW(path, L"MRL7300");
    std::wstring folder = EnsureAdminOnlyFolder(path);
    if (folder.empty() || sub.empty()) return folder;
    return folder + L"\\" + sub;
}

std::wstring CreateJobFolder() {
    const std::wstring work = GetWorkFolder(L"");
    if (work.empty()) return std::wstring();
    static std::once_flag cleaned;
    std::call_once(cleaned, [&] { RemoveStaleWork(work); });
    static std::atomic<unsigned long> serial{0};
    const std::wstring path =
        work + L"\\" + JobFolderName(::GetCurrentProcessId(), ::GetTickCount64(), ++serial);
    // Never an existing one: what is in it would not be ours.
    return CreateAdminOnlyFolder(path) ? path : std::wstring();
}

void RemoveTree(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::DeleteFileW(path.c_str());
        return;
    }
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW entry = {};
        sys::CFindHandle find(::FindFirstFileW((path + L"\\*").c_str(), &entry));
        if (find.Valid()) {
            do {
                const std::wstring name = entry.cFileName;
                if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
            } while (::FindNextFileW(find.Get(), &entry));
        }
    }
    ::RemoveDirectoryW(path.c_str());  // a link goes as itself
}
