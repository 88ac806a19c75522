#include "sys/log.h"
#include "sys/work_folder_win.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <atomic>
#include <mutex>

#include "sys/busy_retry_win.h"
#include "sys/handle_win.h"
#include "sys/platform.h"
#include "sys/process_time_win.h"
#include "sys/security_win.h"
#include "sys/settings.h"
#include "sys/text_util.h"

namespace sys {

namespace {

// Owned by Administrators; full control for them and SYSTEM, nothing
// inherited, nobody else.
constexpr wchar_t kAdminOnly[] = L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
// The same where the owner cannot be set (a token without the Administrators
// group as a possible owner): the check then decides.
constexpr wchar_t kAdminOnlyList[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

bool CreateFolderWith(const std::wstring& path, const wchar_t* sddl) {
    const CLocalMemory descriptor = SecurityFromSddl(sddl);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor.Get(), FALSE};
    return descriptor.Valid() && ::CreateDirectoryW(path.c_str(), &attributes) != FALSE;
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

bool OnlyAdministratorsMayChange(const CHeldFolder& folder) { return WhoElseMayChange(folder.Get()).empty(); }

std::wstring WorkFolderPath() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_DEFAULT, path)))
        return std::wstring();
    ::PathAppendW(path, L"MRL7300");
    return path;
}

// A job folder stays while a program started from it runs. One whose job
// still works in it is held: it cannot be removed anyway.
bool StillNeeded(const CHeldFolder& work, const std::wstring& name) {
    for (const StartedProgram& program : ReadStartedNote(work.ReadNote(name + kStartedNoteSuffix)))
        if (IsRunning(program)) return true;
    return false;
}

// This process's own folder beside the work folder, for when that cannot be
// had: named after the process and its start, which no one else has.
std::wstring RunFolderPath(const std::wstring& work) {
    return work + kRunFolderMark + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(CreationTime(::GetCurrentProcess()));
}

// The kept sources of installed packages, but those unused for too long.
void PrunePackageCache(const CHeldFolder& work) {
    const CHeldFolder cache = work.OpenFolder(kPackageCacheFolderName);
    if (!cache.Valid()) {
        if (::GetLastError() == ERROR_CANT_ACCESS_FILE) work.RemoveEntry(kPackageCacheFolderName);  // a link: not ours
        return;
    }
    const unsigned long long now = NowFileTime();
    for (const DirEntry& entry : cache.List()) {
        CHeldFolder kept = cache.OpenFolder(entry.name);
        const std::string note = kept.Valid() ? kept.ReadNote(kPackageCacheNoteName) : std::string();
        kept.Close();  // held, it could not go
        if (!PackageCacheEntryExpired(entry.name, note, now, g_settings.packageCacheDays)) continue;
        Log(cache.RemoveEntry(entry.name) ? L"removed the kept package source " + cache.PathOf(entry.name)
                                          : L"the kept package source " + cache.PathOf(entry.name) +
                                                L" is in use; a later run removes it");
    }
}

// Broken-off downloads: those too old or beyond the budget, and what is not
// one (a note without its bytes, a stranger). One another run still writes
// is held and stays.
void PrunePartials(const CHeldFolder& work) {
    const CHeldFolder partial = work.OpenFolder(kPartialFolderName);
    if (!partial.Valid()) {
        if (::GetLastError() == ERROR_CANT_ACCESS_FILE) work.RemoveEntry(kPartialFolderName);  // a link: not ours
        return;
    }
    std::vector<PartialFile> files;
    std::vector<std::wstring> strangers;
    for (const DirEntry& entry : partial.List()) {
        if (EndsWith(entry.name, L".part")) files.push_back({entry.name.substr(0, entry.name.size() - 5), entry.written, entry.bytes});
        else if (!EndsWith(entry.name, L".json")) strangers.push_back(entry.name);
    }
    std::vector<std::wstring> gone;
    for (const std::wstring& key : PartialsToRemove(files, NowFileTime(), g_settings.partialKeepDays,
                                                    g_settings.partialBudgetBytes)) {
        if (!partial.RemoveEntry(key + L".part")) continue;
        Log(L"removed the broken-off download " + partial.PathOf(key + L".part"));
        gone.push_back(key);
    }
    for (const DirEntry& entry : partial.List()) {
        if (!EndsWith(entry.name, L".json")) continue;
        const std::wstring key = entry.name.substr(0, entry.name.size() - 5);
        const bool hasBytes = std::any_of(files.begin(), files.end(), [&](const PartialFile& f) { return f.key == key; }) &&
                              std::find(gone.begin(), gone.end(), key) == gone.end();
        if (!hasBytes) strangers.push_back(entry.name);
    }
    for (const std::wstring& name : strangers) partial.RemoveEntry(name);
}

}  // namespace

bool IsRunning(const StartedProgram& program) {
    CKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, program.pid));
    if (!process.Valid() || ::WaitForSingleObject(process.Get(), 0) != WAIT_TIMEOUT) return false;
    const unsigned long long created = CreationTime(process.Get());
    if (created == 0) return true;  // alive, that much is sure
    return program.created == 0 || created == program.created;  // else the id went to another program
}

CHeldFolder GetWorkFolder() {
    static std::mutex lock;  // two jobs must not both replace it
    const std::lock_guard<std::mutex> guard(lock);
    const std::wstring path = WorkFolderPath();
    if (path.empty()) return CHeldFolder();
    CreateAdminOnlyFolder(path);
    CHeldFolder held = CHeldFolder::Open(path);
    if (held.Valid() && OnlyAdministratorsMayChange(held)) return held;
    held.Close();
    // Renaming moves a link itself and never follows it.
    const std::wstring aside = path + kMovedAsideMark + std::to_wstring(::GetTickCount64());
    if (::MoveFileExW(path.c_str(), aside.c_str(), 0)) {
        Log(L"work folder others could change, moved to " + aside);
        if (CreateAdminOnlyFolder(path) && (held = CHeldFolder::Open(path)).Valid() && OnlyAdministratorsMayChange(held))
            return held;
    }
    // Someone holds it open: this run works in a new folder of its own beside it.
    const std::wstring fresh = RunFolderPath(path);
    Log(L"the work folder others could change could not be replaced (error " + std::to_wstring(::GetLastError()) +
        L"); this run works in " + fresh);
    CreateAdminOnlyFolder(fresh);
    held = CHeldFolder::Open(fresh);
    return held.Valid() && OnlyAdministratorsMayChange(held) ? std::move(held) : CHeldFolder();
}

void CleanWorkFolder(const CHeldFolder& work) {
    PrunePackageCache(work);
    PrunePartials(work);
    for (const DirEntry& entry : work.List()) {
        if (entry.name == kPackageCacheFolderName || entry.name == kPartialFolderName || entry.name == kLogFolderName)
            continue;
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

void RemoveOldWorkFolders(const CHeldFolder& own) {
    const std::wstring work = WorkFolderPath();
    const CHeldFolder appData = CHeldFolder::OpenResolved(FolderOf(work));
    const std::wstring name = work.substr(work.find_last_of(L'\\') + 1);
    for (const DirEntry& entry : appData.List()) {
        if (appData.PathOf(entry.name) == own.Path()) continue;
        if (entry.name.rfind(name + kMovedAsideMark, 0) == 0) {
            appData.RemoveEntry(entry.name);
        } else if (entry.name.rfind(name + kRunFolderMark, 0) == 0) {
            CHeldFolder earlier = appData.OpenFolder(entry.name);
            if (!earlier.Valid() || !OnlyAdministratorsMayChange(earlier)) continue;
            CleanWorkFolder(earlier);
            // Its broken-off downloads are continued from the work folder only; its logs go with it.
            earlier.RemoveEntry(kPartialFolderName);
            earlier.RemoveEntry(kLogFolderName);
            const bool empty = earlier.List().empty();
            earlier.Close();  // held, it could not go
            if (empty) appData.RemoveEntry(entry.name);
        }
    }
}

CJobFolder::CJobFolder(CHeldFolder work, CHeldFolder job, std::wstring name)
    : m_work(std::move(work)), m_job(std::move(job)), m_name(std::move(name)), m_id(IdOf(m_job.Get())) {}

std::unique_ptr<CJobFolder> CJobFolder::Create() {
    CHeldFolder work = GetWorkFolder();
    if (!work.Valid()) return nullptr;
    static std::once_flag cleaned;
    std::call_once(cleaned, [&] {
        CleanWorkFolder(work);
        RemoveOldWorkFolders(work);
    });
    static std::atomic<unsigned long> serial{0};
    std::wstring name = JobFolderName(::GetCurrentProcessId(), ::GetTickCount64(), ++serial);
    // Never an existing one: what is in it would not be ours.
    CHeldFolder job = CreateAdminOnlyFolderIn(work, name);
    if (!job.Valid()) return nullptr;
    // What is started from it unpacks here, not where the user's own processes may write.
    if (!job.CreateFolder(kTempFolderName, nullptr).Valid()) {
        job.RemoveContents();
        work.RemoveEntry(name);
        return nullptr;
    }
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
