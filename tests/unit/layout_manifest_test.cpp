#include <gtest/gtest.h>

#include "install/layout_manifest.h"

// The manifest round-trips, and an entry is used or kept only when it passes
// what a download passes: a plain file of the job's kind, with a hash.
TEST(LayoutManifest, FindsOnlyPlainFilesOfTheJobsKind) {
    const std::string hash(64, 'e');
    std::vector<LayoutEntry> entries;
    SetLayoutEntry(entries, {"bluetooth", "win7", "bluetooth_win7_a.zip", 5, hash, "https://h/a.zip", "t1"});
    SetLayoutEntry(entries, {"bluetooth", "win10", "bluetooth_win10_a.zip", 6, hash, "https://h/a.zip", "t2"});
    SetLayoutEntry(entries, {"bluetooth", "win7", "bluetooth_win7_b.zip", 7, hash, "https://h/b.zip", "t3"});
    const std::vector<LayoutEntry> read = ReadLayoutManifest(WriteLayoutManifest(entries));
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(FindLayoutEntry(read, "bluetooth", "win7")->file, "bluetooth_win7_b.zip");
    EXPECT_EQ(FindLayoutEntry(read, "bluetooth", "win10")->size, 6u);
    EXPECT_EQ(FindLayoutEntry(read, "receiver", ""), nullptr);
    EXPECT_EQ(LayoutFileName("receiver", hash, "rx.exe"), "receiver_eeeeeeeeeeee_rx.exe");
    EXPECT_EQ(LayoutFileName("receiver", hash, std::string(200, 'r') + ".exe"), "receiver_eeeeeeeeeeee_package.exe");
    const std::string time = "2026-12-09T13:00:00Z", url = "https://h/a.zip";
    const struct { const char* job; const char* windows; const char* file; unsigned long long size; std::string sha256;
                   std::string source; std::string time; bool refused; } cases[] = {
        {"bluetooth", "win7", "a.zip", 1, hash, url, time, false},
        {"bluetooth", "win7", "a.7z", 1, hash, url, time, false},
        {"bluetooth", "win7", "..\\a.zip", 1, hash, url, time, true},
        {"bluetooth", "win7", "sub/a.zip", 1, hash, url, time, true},
        {"bluetooth", "win7", "C:a.zip", 1, hash, url, time, true},
        {"bluetooth", "win7", "nul.zip", 1, hash, url, time, true},
        {"bluetooth", "win7", "", 1, hash, url, time, true},
        {"bluetooth", "win7", "a.zip", 1, "", url, time, true},
        {"bluetooth", "win7", "a.zip", 1, hash + "0", url, time, true},
        {"bluetooth", "win7", "a.zip", 1, std::string(64, 'E'), url, time, true},  // not as this program writes it
        {"bluetooth", "win7", "a.tar", 1, hash, url, time, true},  // the archiver would guess its format
        {"bluetooth", "win7", "a.exe", 1, hash, url, time, true},
        {"bluetooth", "win11", "a.zip", 1, hash, url, time, true},
        {"bluetooth", "", "a.zip", 1, hash, url, time, true},
        {"receiver", "", "a.exe", 1, hash, url, time, false},
        {"receiver", "", "a.msi", 1, hash, url, time, false},
        {"receiver", "", "a.cmd", 1, hash, url, time, true},  // never started through cmd.exe
        {"receiver", "win10", "a.exe", 1, hash, url, time, true},
        {"wifi", "", "a.exe", 1, hash, url, time, true},  // delivered beside the program, never from a layout
        {"printer", "", "a.exe", 1, hash, url, time, true},
        {"bluetooth", "win7", "a.zip", 0, hash, url, time, true},
        {"bluetooth", "win7", "a.zip", (3ull << 30), hash, url, time, true},
        {"bluetooth", "win7", "a.zip", 1, hash, "http://h/a.zip", time, true},
        {"bluetooth", "win7", "a.zip", 1, hash, "https://h/a b.zip", time, true},
        {"bluetooth", "win7", "a.zip", 1, hash, url, "yesterday", true},
        {"bluetooth", "win7", "\xc3\xa9t\xc3\xa9.zip", 1, hash, url, time, false},  // UTF-8 names are names
        {"bluetooth", "win7", "b\xac.zip", 1, hash, url, time, true},  // but not bytes that are none
    };
    for (const auto& c : cases)
        EXPECT_EQ(!LayoutEntryRefusal({c.job, c.windows, c.file, c.size, c.sha256, c.source, c.time}).empty(), c.refused)
            << c.job << " " << c.windows << " " << c.file << " " << c.size << " " << c.source << " " << c.time;
    for (const char* broken : {"", "[]", "{\"packages\": [{\"size\": \"big\"}]}", "{\"packages\": {}}", "not json"})
        EXPECT_TRUE(ReadLayoutManifest(broken).empty()) << broken;
}
