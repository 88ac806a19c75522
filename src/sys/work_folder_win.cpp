#include "sys/log.h"
#include "sys/job_folder_win.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <atomic>
#include <mutex>

#include "sys/busy_retry_win.h"
#include "sys/folder_trust.h"
#include "sys/handle_win.h"
#include "sys/paths.h"
#include "sys/platform.h"

namespace sys {

namespace {

// Owned by Administrators; full control for them and SYSTEM, nothing
// inherited, nobody else.
constexpr wchar_t kAdminOnly[] = L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
// The same where the owner cannot be set (a token without the Administrators
// group as a possible owner): the check then decides.
constexpr wchar_t kAdminOnlyList[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

bool CreateFolderWith(const std::wstring& path, const wchar_t* sddl) {
    CLocalMemory descriptor;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            sddl, SDDL_REVISION_1, reinterpret_cast<PSECURITY_DESCRIPTOR*>(descriptor.Put()), nullptr))
        return false;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor.Get(), FALSE};
    return ::CreateDirectoryW(path.c_str(), &attributes) != FALSE;
}

bool CreateAdminOnlyFolder(const std::wstring& path) {
    return CreateFolderWith(path, kAdminOnly) ||
           (::GetLastError() == ERROR_INVALID_OWNER && CreateFolderWith(path, kAdminOnlyList));
}

CHeldFolder CreateAdminOnlyFolderIn(const CHeldFolder& parent, const std::wstring& name) {
    CHeldFolder folder = parent.CreateFolder(name, kAdminOnly);
    if (!folder.Valid() && ::GetLastError() == ERROR_INVALID_OWNER) folder = parent.CreateFolder(name, kAdminOnlyList);
    return folder;
}

std::wstring SidText(PSID sid) {
    CLocalMemory text;
    if (!sid || !::ConvertSidToStringSidW(sid, reinterpret_cast<LPWSTR*>(text.Put()))) return std::wstring();
    return static_cast<const wchar_t*>(text.Get());
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
    CLocalMemory descriptor;
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

bool OnlyAdministratorsMayChange(const CHeldFolder& folder) {
    FolderSecurity security;
    // Where owners are not recorded, the one that reads back is no evidence either way.
    return ReadFolderSecurity(folder.Get(), security) &&
           ::OnlyAdministratorsMayChange(security, RecordsOwners() ? std::wstring() : ProcessUserSid());
}

std::wstring WorkFolderPath() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_DEFAULT, path)))
        return std::wstring();
    ::PathAppendW(path, L"MRL7300");
    return path;
}

std::string ReadNote(const CHeldFolder& work, const std::wstring& name) {
    const CFileHandle note = work.OpenFile(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    std::string text(4096, '\0');
    DWORD got = 0;
    if (!note.Valid() || !::ReadFile(note.Get(), text.data(), static_cast<DWORD>(text.size()), &got, nullptr))
        return std::string();
    text.resize(got);
    return text;
}

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A job folder stays while a program started from it runs. One whose job
// still works in it is held: it cannot be removed anyway.
bool StillNeeded(const CHeldFolder& work, const std::wstring& name) {
    for (const StartedProgram& program : ReadStartedNote(ReadNote(work, name + kStartedNoteSuffix)))
        if (IsRunning(program)) return true;
    return false;
}

}  // namespace

bool IsRunning(const StartedProgram& program) {
    CKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, program.pid));
    if (!process.Valid() || ::WaitForSingleObject(process.Get(), 0) != WAIT_TIMEOUT) return false;
    FILETIME created = {}, exited = {}, kernel = {}, user = {};
    if (!::GetProcessTimes(process.Get(), &created, &exited, &kernel, &user)) return true;  // alive, that much is sure
    const unsigned long long stamp = (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    return program.created == 0 || stamp == program.created;  // else the id went to another program
}

CHeldFolder HoldWorkFolder() {
    static std::mutex lock;  // two jobs must not both replace it
    const std::lock_guard<std::mutex> guard(lock);
    const std::wstring path = WorkFolderPath();
    if (path.empty()) return CHeldFolder();
    CreateAdminOnlyFolder(path);
    CHeldFolder held = CHeldFolder::Open(path);
    if (held.Valid() && OnlyAdministratorsMayChange(held)) return held;
    held.Close();
    // Renaming moves a link itself and never follows it.
    const std::wstring aside = path + L".untrusted-" + std::to_wstring(::GetTickCount64());
    Log(L"work folder others could change, moved to " + aside);
    if (!::MoveFileExW(path.c_str(), aside.c_str(), 0) || !CreateAdminOnlyFolder(path)) return CHeldFolder();
    held = CHeldFolder::Open(path);
    return held.Valid() && OnlyAdministratorsMayChange(held) ? std::move(held) : CHeldFolder();
}

void CleanWorkFolder(const CHeldFolder& work) {
    for (const DirEntry& entry : work.List()) {
        if (EndsWith(entry.name, kStartedNoteSuffix) || StillNeeded(work, entry.name)) continue;
        // Folders in use by a running job are held and stay.
        if (work.RemoveEntry(entry.name)) work.RemoveEntry(entry.name + kStartedNoteSuffix);
    }
    // Notes whose folder is gone.
    for (const DirEntry& entry : work.List()) {
        if (!EndsWith(entry.name, kStartedNoteSuffix)) continue;
        const std::wstring folder = entry.name.substr(0, entry.name.size() - std::wcslen(kStartedNoteSuffix));
        if (!work.OpenFolder(folder).Valid()) work.RemoveEntry(entry.name);
    }
}

CJobFolder::CJobFolder(CHeldFolder work, CHeldFolder job, std::wstring name)
    : m_work(std::move(work)), m_job(std::move(job)), m_name(std::move(name)), m_id(IdOf(m_job.Get())) {}

std::unique_ptr<CJobFolder> CJobFolder::Create() {
    CHeldFolder work = HoldWorkFolder();
    if (!work.Valid()) return nullptr;
    static std::once_flag cleaned;
    std::call_once(cleaned, [&] { CleanWorkFolder(work); });
    static std::atomic<unsigned long> serial{0};
    std::wstring name = JobFolderName(::GetCurrentProcessId(), ::GetTickCount64(), ++serial);
    // Never an existing one: what is in it would not be ours.
    CHeldFolder job = CreateAdminOnlyFolderIn(work, name);
    if (!job.Valid()) return nullptr;
    return std::unique_ptr<CJobFolder>(new CJobFolder(std::move(work), std::move(job), std::move(name)));
}

void CJobFolder::NoteStarted(const StartedProgram& program) {
    const std::wstring name = m_name + kStartedNoteSuffix;
    CFileHandle note = m_work.CreateFile(name, FILE_APPEND_DATA, FILE_SHARE_READ);
    if (!note.Valid()) note = m_work.OpenFile(name, FILE_APPEND_DATA, FILE_SHARE_READ);
    const std::string line = StartedNoteLine(program);
    DWORD written = 0;
    if (!note.Valid() || !::WriteFile(note.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr))
        Log(L"could not note the started program beside " + Path());
}

void CJobFolder::Remove() {
    m_job.RemoveContents();
    m_job.Close();
    // A program that just ended may still be let go of by the system (its
    // console, a scanner): a moment later the folder goes. Later runs remove
    // what stays anyway.
    if (RetryWhileBusy([&] { return m_work.RemoveEntry(m_name, &m_id); }))
        m_work.RemoveEntry(m_name + kStartedNoteSuffix);
    else
        Log(L"the job folder " + Path() + L" is still in use; a later run removes it");
}

}  // namespace sys

std::wstring GetWorkFolder(const std::wstring& sub) {
    const sys::CHeldFolder work = sys::HoldWorkFolder();
    if (!work.Valid() || sub.empty()) return work.Path();
    return work.PathOf(sub);
}

void RemoveTree(const std::wstring& path) { sys::RemovePath(path); }
