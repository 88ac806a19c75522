#include <gtest/gtest.h>

#include "sys/work_folder.h"

// A job folder is kept while a program started from it runs (not while a
// process of its name's id does: ids are reused). The note of what runs from
// it survives a round trip, and a note someone tampered with names nothing.
TEST(JobFolder, StartedNotesNameTheirPrograms) {
    EXPECT_EQ(JobFolderName(4242, 99, 3), L"job-4242-99-3");
    const StartedProgram setup{4242, 133790000000000000ull}, other{7, 1};
    EXPECT_EQ(ReadStartedNote(StartedNoteLine(setup) + StartedNoteLine(other)),
              (std::vector<StartedProgram>{setup, other}));
    const struct { const char* text; std::size_t programs; } cases[] = {
        {"", 0}, {"4242", 0}, {"x 1\n", 0}, {"0 5\n", 0}, {"1 2 3\n", 0}, {"1 2\n\n3 4\n", 2}, {"-1 5\n", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadStartedNote(c.text).size(), c.programs) << c.text;
}

// What an archiver unpacked is used only when it holds no link, no hidden
// stream and no path longer than older setup programs can open, and when all
// of it could be looked at: what the check did not see is refused.
TEST(JobFolder, UnpackedTreesWithLinksStreamsOrLongPathsAreRefused) {
    const std::wstring folder = L"C:\\ProgramData\\MRL7300\\job-1-2-3\\package";
    const std::vector<std::wstring> data = {L"::$DATA"};
    const auto file = [](const std::wstring& path, std::vector<std::wstring> streams) {
        return TreeEntry{path, false, std::move(streams), false, ""};
    };
    const auto folderEntry = [](const std::wstring& path, std::vector<std::wstring> streams, std::string unreadable) {
        return TreeEntry{path, false, std::move(streams), true, std::move(unreadable)};
    };
    const TreeEntry link{L"Driver", true, {}, true, ""};
    const struct { const char* name; std::vector<TreeEntry> entries; bool refused; } cases[] = {
        {"plain", {file(L"Setup.exe", data), folderEntry(L"Driver", {}, ""), file(L"Driver\\x.sys", data)}, false},
        {"empty", {}, false},
        {"a file system without streams", {file(L"Setup.exe", {})}, false},
        {"a link", {link}, true},
        {"a link deep down", {folderEntry(L"a", {}, ""), TreeEntry{L"a\\b", true, {}, false, ""}}, true},
        {"a hidden stream", {file(L"Setup.exe", {L"::$DATA", L":Zone.Identifier:$DATA"})}, true},
        {"a stream on a folder", {folderEntry(L"Driver", {L":evil:$DATA"}, "")}, true},
        {"a folder that cannot be opened", {folderEntry(L"Driver", {}, "it cannot be opened (error 5)")}, true},
        {"streams too many to list", {TreeEntry{L"Setup.exe", false, {}, false, "its streams cannot be listed"}}, true},
        {"a listing that broke off", {folderEntry(L".", {}, "it cannot be listed")}, true},
        {"at the limit", {file(std::wstring(259 - folder.size() - 1, L'a'), data)}, false},
        {"past the limit", {file(std::wstring(260 - folder.size() - 1, L'a'), data)}, true},
    };
    for (const auto& c : cases) EXPECT_EQ(!UnpackedTreeRefusal(folder, c.entries).empty(), c.refused) << c.name;
}

// A kept package source goes only when unused for longer than kept, or when
// it is none of ours (a name that is no hash, a note that is no time).
TEST(JobFolder, PackageSourcesAreKeptForTheirDaysAfterTheLastUse) {
    constexpr unsigned long long kDay = 24ull * 60 * 60 * 10000000;
    const unsigned long long now = 400 * kDay;
    const std::wstring hash(64, L'a');
    const struct { std::wstring name; std::string note; unsigned long days; bool expired; } cases[] = {
        {hash, PackageCacheNote(now - 10 * kDay), 30, false},
        {hash, PackageCacheNote(now - 31 * kDay), 30, true},
        {hash, PackageCacheNote(now - 31 * kDay), 365, false},
        {hash, PackageCacheNote(now + kDay), 30, false},  // a clock set back
        {hash, PackageCacheNote(now - kDay), 0, true},
        {hash, "", 30, true},
        {hash, "soon", 30, true},
        {hash, PackageCacheNote(now) + "x", 30, true},
        {std::wstring(64, L'A'), PackageCacheNote(now), 30, true},
        {L"job-1-2-3", PackageCacheNote(now), 30, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PackageCacheEntryExpired(c.name, c.note, now, c.days), c.expired) << c.note << " " << c.days;
}

// Broken-off downloads go after their days, then the oldest until the rest
// fit the budget; the newest is kept first.
TEST(JobFolder, BrokenOffDownloadsAreKeptForTheirDaysWithinTheBudget) {
    constexpr unsigned long long kDay = 24ull * 60 * 60 * 10000000;
    const unsigned long long now = 400 * kDay;
    const struct {
        const char* name;
        std::vector<PartialFile> files;
        unsigned long long budget;
        std::vector<std::wstring> removed;
    } cases[] = {
        {"fresh", {{L"a", now - kDay, 10}}, 100, {}},
        {"past its days", {{L"a", now - 8 * kDay, 10}, {L"b", now - 6 * kDay, 10}}, 100, {L"a"}},
        {"a clock set back", {{L"a", now + kDay, 10}}, 100, {}},
        {"over the budget: oldest first", {{L"old", now - 3 * kDay, 60}, {L"new", now - kDay, 60}}, 100, {L"old"}},
        {"one larger than the budget", {{L"a", now, 101}, {L"b", now - kDay, 50}}, 100, {L"a"}},
        {"exactly the budget", {{L"a", now, 50}, {L"b", now - kDay, 50}}, 100, {}},
        {"none", {}, 100, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(PartialsToRemove(c.files, now, 7, c.budget), c.removed) << c.name;
}
