#include "sys/work_folder.h"

#include <algorithm>
#include <sstream>

#include "sys/utf8.h"

std::wstring JobFolderName(unsigned long pid, unsigned long long stamp, unsigned long serial) {
    return L"job-" + std::to_wstring(pid) + L"-" + std::to_wstring(stamp) + L"-" + std::to_wstring(serial);
}

std::string StartedNoteLine(const StartedProgram& program) {
    return std::to_string(program.pid) + " " + std::to_string(program.created) + "\n";
}

std::vector<StartedProgram> ReadStartedNote(const std::string& text) {
    std::vector<StartedProgram> programs;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        long long pid = 0, created = 0;
        std::string rest;
        if (fields >> pid >> created && !(fields >> rest) && pid > 0 && pid <= 0xFFFFFFFFll && created >= 0)
            programs.push_back({static_cast<unsigned long>(pid), static_cast<unsigned long long>(created)});
    }
    return programs;
}

std::string UnpackedTreeRefusal(const std::wstring& folder, const std::vector<TreeEntry>& entries) {
    constexpr std::size_t kMaxPath = 260;  // with the terminating NUL, as Windows counts
    for (const TreeEntry& entry : entries) {
        const std::string name = WideToUtf8(entry.path);
        if (entry.link) return "the package holds a link: " + name;
        if (!entry.unreadable.empty()) return "the package holds what cannot be checked: " + name + ": " + entry.unreadable;
        for (const std::wstring& stream : entry.streams)
            if (entry.folder || stream != L"::$DATA")
                return "the package holds a hidden stream: " + name + WideToUtf8(stream);
        if (folder.size() + 1 + entry.path.size() + 1 > kMaxPath) return "the package holds a path too long: " + name;
    }
    return std::string();
}

std::string PackageCacheNote(unsigned long long nowFileTime) { return std::to_string(nowFileTime) + "\n"; }

bool PackageCacheEntryExpired(const std::wstring& name, const std::string& note, unsigned long long nowFileTime,
                              unsigned long keepDays) {
    if (name.size() != 64) return true;
    for (wchar_t c : name)
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'))) return true;
    std::istringstream fields(note);
    unsigned long long used = 0;
    std::string rest;
    if (!(fields >> used) || fields >> rest) return true;
    constexpr unsigned long long kTicksPerDay = 24ull * 60 * 60 * 10000000;
    // A note from the future (a clock set back) keeps the entry until then.
    return used < nowFileTime && nowFileTime - used > keepDays * kTicksPerDay;
}

std::vector<std::wstring> PartialsToRemove(std::vector<PartialFile> files, unsigned long long nowFileTime,
                                           unsigned long keepDays, unsigned long long budgetBytes) {
    constexpr unsigned long long kTicksPerDay = 24ull * 60 * 60 * 10000000;
    std::vector<std::wstring> removed;
    std::sort(files.begin(), files.end(), [](const PartialFile& a, const PartialFile& b) { return a.written > b.written; });
    unsigned long long kept = 0;
    for (const PartialFile& file : files) {  // newest first
        const bool old = file.written < nowFileTime && nowFileTime - file.written > keepDays * kTicksPerDay;
        if (old || kept + file.bytes > budgetBytes) {
            removed.push_back(file.key);
            continue;
        }
        kept += file.bytes;
    }
    return removed;
}
