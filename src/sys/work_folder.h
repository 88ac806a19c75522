#pragma once
// The per-job folders in the work folder: their names, the note of what was
// started from one, and which of them a new run must keep. Portable; the
// folders themselves are in job_folder_win.h and work_folder_win.cpp.
#include <string>
#include <vector>

// "job-<pid>-<stamp>-<serial>": each job works in a new one.
std::wstring JobFolderName(unsigned long pid, unsigned long long stamp, unsigned long serial);

// A program started from a job folder: its process id and creation time
// (FILETIME as one number), which together name it even after its id is reused.
struct StartedProgram {
    unsigned long pid = 0;
    unsigned long long created = 0;
    bool operator==(const StartedProgram& o) const { return pid == o.pid && created == o.created; }
};
// The note beside a job folder ("job-....started"): one "pid created" line each.
std::string StartedNoteLine(const StartedProgram& program);
std::vector<StartedProgram> ReadStartedNote(const std::string& text);
constexpr wchar_t kStartedNoteSuffix[] = L".started";

// An unpacked package as found on disk: each entry's path below the unpack
// folder, whether it is a link (reparse point) or a folder, its stream names
// as the file system lists them ("::$DATA" is a file's own content), and why
// it could not be read, if it could not.
struct TreeEntry {
    std::wstring path;
    bool link = false;
    std::vector<std::wstring> streams;
    bool folder = false;
    std::string unreadable;
};
// Why the unpacked tree in folder may not be used, or empty: a link, a
// stream besides a file's own content (a folder has none), an entry that
// could not be read, or a path longer than Windows' classic limit
// (MAX_PATH), which older setup programs cannot open. What cannot be looked
// at is refused: the check never passes what it did not see.
std::string UnpackedTreeRefusal(const std::wstring& folder, const std::vector<TreeEntry>& entries);

// Each job folder's own temporary folder: what is started from it gets it as
// TEMP and TMP, so that a setup unpacks where only administrators can write.
constexpr wchar_t kTempFolderName[] = L"temp";

// Beside the work folder: "MRL7300.untrusted-<tick>", one others could change,
// moved aside; "MRL7300.run-<pid>-<start>", a run's own when the work folder
// could be neither used nor moved aside.
constexpr wchar_t kMovedAsideMark[] = L".untrusted-";
constexpr wchar_t kRunFolderMark[] = L".run-";

// Installed Windows Installer packages keep their source here, in the work
// folder: "msi-cache\<sha256>\<name>.msi", with a note of when it was last
// started ("last-used": a FILETIME as one number). A repair or change finds
// it there long after the job folder went.
constexpr wchar_t kPackageCacheFolderName[] = L"msi-cache";
constexpr wchar_t kPackageCacheNoteName[] = L"last-used";
std::string PackageCacheNote(unsigned long long nowFileTime);
// Whether an entry of the cache goes: its name is no SHA-256, its note is
// unreadable, or it was last used more than keepDays ago (FILETIMEs).
bool PackageCacheEntryExpired(const std::wstring& name, const std::string& note, unsigned long long nowFileTime,
                              unsigned long keepDays);

// The default logs, "logs\Installer_….log" (log/run_log.h): kept by the clean-ups.
constexpr wchar_t kLogFolderName[] = L"logs";

// Downloads broken off, kept for a later run to continue: "partial\<key>.part"
// with its note "<key>.json" (net/partial_download.h).
constexpr wchar_t kPartialFolderName[] = L"partial";
// A kept download as a clean-up finds it: its key, when it was last written
// (FILETIME), its size.
struct PartialFile {
    std::wstring key;
    unsigned long long written = 0;
    unsigned long long bytes = 0;
};
// The keys to remove: those untouched for more than keepDays, then the
// oldest until the rest fit budgetBytes.
std::vector<std::wstring> PartialsToRemove(std::vector<PartialFile> files, unsigned long long nowFileTime,
                                           unsigned long keepDays, unsigned long long budgetBytes);
