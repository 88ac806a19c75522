#include <gtest/gtest.h>

#include "fake_job.h"
#include "install/layout_manifest.h"
#include "quiet/layout_run.h"
#include "quiet/quiet_run.h"

using Args = std::vector<std::wstring>;

// Each job's outcome as the exit code a deployment tool sees.
TEST(QuietRun, ExitCodesSayWhatHappened) {
    CSettingsOverride settings;
    g_settings.packageSigner = L"Vendor";
    g_settings.archiverSha256 = "ab12";  // what the fake's files hash to
    Offered(JobId::Hotspot) = false;
    Offered(JobId::Receiver) = false;
    const ProcessOutcome ok{true, true, 0}, restart{true, true, 3010}, restarted{true, true, 1641},
        failed{true, true, 1}, notStarted{}, hung{true, false, 0, true};
    const struct { const char* name; Args args; ProcessOutcome wifi; bool answered; const wchar_t* found;
                   ProcessOutcome setup; WindowsVersion windows; ExitCode code; std::size_t installers; } cases[] = {
        {"all done", {L"/quiet"}, ok, true, L"package\\S.exe", ok, WindowsVersion::Win10, kExitDone, 1},
        {"setup asks for a restart", {L"/quiet"}, ok, true, L"package\\S.exe", restart, WindowsVersion::Win10,
         kExitRestartNeeded, 1},
        {"setup restarts itself", {L"/quiet"}, ok, true, L"package\\S.exe", restarted, WindowsVersion::Win10,
         kExitRestartNeeded, 1},
        {"Wi-Fi setup asks for a restart", {L"/quiet", L"/wifi"}, restart, true, L"", ok, WindowsVersion::Win10,
         kExitRestartNeeded, 0},
        {"Wi-Fi setup fails, Bluetooth still runs", {L"/quiet"}, failed, true, L"package\\S.exe", ok,
         WindowsVersion::Win10, kExitInstallerFailed, 1},
        {"Wi-Fi setup does not start", {L"/quiet", L"/wifi"}, notStarted, true, L"", ok, WindowsVersion::Win10,
         kExitInstallerMissing, 0},
        {"Wi-Fi setup hangs", {L"/quiet", L"/wifi"}, hung, true, L"", ok, WindowsVersion::Win10,
         kExitInstallerTimedOut, 0},
        {"setup hangs", {L"/quiet", L"/bluetooth"}, ok, true, L"package\\S.exe", hung, WindowsVersion::Win10,
         kExitInstallerTimedOut, 1},
        {"no connection", {L"/quiet", L"/bluetooth"}, ok, false, L"package\\S.exe", ok, WindowsVersion::Win10,
         kExitNoConnection, 0},
        {"no setup in the package", {L"/quiet", L"/bluetooth"}, ok, true, L"", ok, WindowsVersion::Win10,
         kExitInstallerMissing, 0},
        {"setup fails", {L"/quiet", L"/bluetooth"}, ok, true, L"package\\S.exe", failed, WindowsVersion::Win10,
         kExitInstallerFailed, 1},
        {"setup does not start", {L"/quiet", L"/bluetooth"}, ok, true, L"package\\S.exe", notStarted,
         WindowsVersion::Win10, kExitInstallerMissing, 1},
        {"Bluetooth below Windows 7 is skipped", {L"/quiet", L"/bluetooth"}, ok, true, L"package\\S.exe", ok,
         WindowsVersion::Vista, kExitDone, 0},
        // A Windows newer than any the program knows is offered what Windows 10 is.
        {"newer Windows", {L"/quiet", L"/bluetooth"}, ok, true, L"package\\S.exe", ok,
         ClassifyOsVersion(L"11.0.26100"), kExitDone, 1},
    };
    for (const auto& c : cases) {
        CFakeJobSystem system;
        system.outcome = c.wifi;  // the archiver's run too: 0 and 1 unpack, the rest fails
        system.runs[L"C:\\Work\\job-1\\7za.exe"] = ok;
        system.answered = c.answered;
        system.found = c.found;
        system.windows = c.windows;
        system.installerOutcome = c.setup;
        std::vector<std::wstring> log;
        const ExitCode code = RunQuiet(ParseCommandLine(c.args), system,
                                       [](TranslationKey key) { return std::wstring(kTranslationKeys[key]); },
                                       [&log](const std::wstring& line) { log.push_back(line); });
        EXPECT_EQ(code, c.code) << c.name;
        EXPECT_EQ(system.installers.size(), c.installers) << c.name;
        EXPECT_FALSE(log.empty()) << c.name;
    }
}

// /layout: every package for every Windows the service tells apart, proven
// and stored once (the one Bluetooth package the three Windows share: once);
// what the layout holds already is not fetched again, what fails its proof
// is not stored, and what an earlier manifest names is kept only while its
// file is there as it says.
TEST(QuietRun, LayoutStoresEveryProvenPackageOnce) {
    CSettingsOverride settings;
    g_settings.packageSigner = L"Vendor";
    g_settings.archiverSha256 = std::string(64, 'c');
    Offered(JobId::Hotspot) = true;
    Offered(JobId::Receiver) = true;
    const std::string hash(64, 'c');
    const auto answer = [&](const char* file, bool hashed) {
        return std::string(R"({"status":true,"downloadURL":"https://h/files/)") + file + "\"" +
               (hashed ? R"(,"sha256":")" + hash + "\"" : "") + "}";
    };
    const auto serve = [&](CFakeJobSystem& system, bool hashed) {
        system.answer = answer("p.zip", hashed);
        system.answerOf["QuilloRXApp"] = answer("rx.exe", hashed);
        system.answerOf["TWHotspot"] = answer("hs.msi", hashed);
    };
    const struct { const char* name; Args args; bool hashed; const wchar_t* signer; bool laidOutBefore;
                   bool filesGone; ExitCode code; std::size_t downloads, stores, entries; } cases[] = {
        {"all four jobs", {L"/layout", L"D:\\l"}, true, L"Vendor", false, false, kExitDone, 3, 3, 5},
        {"again: nothing new", {L"/layout", L"D:\\l"}, true, L"Vendor", true, false, kExitDone, 0, 0, 5},
        // Without a hash to compare, fetched and proven again, and kept as it is.
        {"again without hashes", {L"/layout", L"D:\\l"}, false, L"Vendor", true, false, kExitDone, 3, 0, 5},
        {"again, its files gone", {L"/layout", L"D:\\l"}, true, L"Vendor", true, true, kExitDone, 3, 3, 5},
        {"only Bluetooth", {L"/layout", L"D:\\l", L"/bluetooth"}, true, L"Vendor", false, false, kExitDone, 1, 1, 3},
        // What an earlier run stored of the others stays while its file is there.
        {"only Bluetooth again", {L"/layout", L"D:\\l", L"/bluetooth"}, true, L"Vendor", true, false, kExitDone, 0, 0,
         5},
        {"someone else signed", {L"/layout", L"D:\\l"}, true, L"Someone", false, false, kExitPackageRefused, 5, 0, 0},
    };
    for (const auto& c : cases) {
        CFakeJobSystem system;
        serve(system, c.hashed);
        system.facts = {hash, c.signer, 1000};
        system.found = L"package\\Setup.exe";
        if (c.laidOutBefore) {
            CFakeJobSystem earlier;
            serve(earlier, true);
            earlier.facts = system.facts;
            earlier.found = system.found;
            ASSERT_EQ(RunLayout(ParseCommandLine({L"/layout", L"D:\\l"}), earlier, [](const std::wstring&) {}), kExitDone);
            system.layout = earlier.layout;
            system.layout.stores = 0;
            if (c.filesGone) system.layout.stored.clear();
        }
        std::vector<std::wstring> log;
        EXPECT_EQ(RunLayout(ParseCommandLine(c.args), system, [&log](const std::wstring& l) { log.push_back(l); }),
                  c.code) << c.name;
        EXPECT_EQ(system.downloads.size(), c.downloads) << c.name;
        EXPECT_EQ(system.layout.stores, static_cast<int>(c.stores)) << c.name;
        const std::vector<LayoutEntry> entries = ReadLayoutManifest(system.layout.manifest);
        EXPECT_EQ(entries.size(), c.entries) << c.name;
        for (const LayoutEntry& entry : entries) {
            EXPECT_EQ(entry.sha256, hash) << c.name;
            EXPECT_EQ(entry.size, 1000u) << c.name;
            EXPECT_TRUE(system.layout.stored.count(std::wstring(entry.file.begin(), entry.file.end()))) << entry.file;
        }
        if (c.entries == 5) {
            ASSERT_TRUE(FindLayoutEntry(entries, "bluetooth", "win7") && FindLayoutEntry(entries, "bluetooth", "win8") &&
                        FindLayoutEntry(entries, "bluetooth", "win10") && FindLayoutEntry(entries, "receiver", "") &&
                        FindLayoutEntry(entries, "hotspot", ""));
            EXPECT_EQ(FindLayoutEntry(entries, "bluetooth", "win7")->file, "bluetooth_cccccccccccc_p.zip");
            EXPECT_EQ(FindLayoutEntry(entries, "bluetooth", "win10")->file, "bluetooth_cccccccccccc_p.zip");
            EXPECT_NE(system.requests[0].find("?os=win7&"), std::string::npos);
        }
        EXPECT_TRUE(system.layout.programCopied) << c.name;
        EXPECT_TRUE(system.installers.empty()) << c.name;  // nothing is installed
        EXPECT_FALSE(log.empty()) << c.name;
    }
}

// The manifest round-trips, and an entry is used or kept only when it passes
// what a download passes: a plain file of the job's kind, with a hash.
TEST(QuietRun, LayoutManifestsFindOnlyPlainFilesOfTheJobsKind) {
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
