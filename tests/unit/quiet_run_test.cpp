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
    g_settings.hotspotOffered = g_settings.receiverOffered = false;
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

// Every outcome has its code; the run's is the first failure's, else a restart, else done.
TEST(QuietRun, OutcomesAndTheirExitCodes) {
    const struct { Outcome outcome; ExitCode code; } cases[] = {
        {Outcome::Done, kExitDone}, {Outcome::RestartNeeded, kExitRestartNeeded},
        {Outcome::NoConnection, kExitNoConnection}, {Outcome::SecureChannelFailed, kExitNoConnection},
        {Outcome::ServiceFailed, kExitServiceFailed}, {Outcome::NoPackageForWindows, kExitInstallerMissing},
        {Outcome::NotSaved, kExitNotSaved}, {Outcome::PackageRefused, kExitPackageRefused},
        {Outcome::BundledProgramRefused, kExitPackageRefused}, {Outcome::InstallerMissing, kExitInstallerMissing},
        {Outcome::ArchiverFailed, kExitNotUnpacked}, {Outcome::InstallerFailed, kExitInstallerFailed},
        {Outcome::InstallerTimedOut, kExitInstallerTimedOut},
    };
    for (const auto& c : cases) EXPECT_EQ(ExitCodeOf({c.outcome, 0, ""}), c.code) << OutcomeName(c.outcome);
    EXPECT_EQ(CombineExitCodes({kExitDone, kExitRestartNeeded, kExitDone}), kExitRestartNeeded);
    EXPECT_EQ(CombineExitCodes({kExitRestartNeeded, kExitNotSaved, kExitNoConnection}), kExitNotSaved);
    EXPECT_EQ(CombineExitCodes({}), kExitDone);
}

// /layout: every package for every Windows the service tells apart, proven
// and stored once; what the layout holds already is not fetched again, and
// what fails its proof is not stored.
TEST(QuietRun, LayoutStoresEveryProvenPackageOnce) {
    CSettingsOverride settings;
    g_settings.packageSigner = L"Vendor";
    g_settings.archiverSha256 = std::string(64, 'c');
    g_settings.hotspotOffered = g_settings.receiverOffered = true;
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
                   ExitCode code; std::size_t downloads, stores, entries; } cases[] = {
        {"all four jobs", {L"/layout", L"D:\\l"}, true, L"Vendor", false, kExitDone, 5, 5, 5},
        {"again: nothing new", {L"/layout", L"D:\\l"}, true, L"Vendor", true, kExitDone, 0, 0, 5},
        // Without a hash to compare, fetched and proven again, and kept as it is.
        {"again without hashes", {L"/layout", L"D:\\l"}, false, L"Vendor", true, kExitDone, 5, 0, 5},
        {"only Bluetooth", {L"/layout", L"D:\\l", L"/bluetooth"}, true, L"Vendor", false, kExitDone, 3, 3, 3},
        {"someone else signed", {L"/layout", L"D:\\l"}, true, L"Someone", false, kExitPackageRefused, 5, 0, 0},
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
            ASSERT_EQ(RunLayout(ParseCommandLine(c.args), earlier, [](const std::wstring&) {}), kExitDone);
            system.layout = earlier.layout;
            system.layout.stores = 0;
        }
        std::vector<std::wstring> log;
        EXPECT_EQ(RunLayout(ParseCommandLine(c.args), system, [&log](const std::wstring& l) { log.push_back(l); }),
                  c.code) << c.name;
        EXPECT_EQ(system.downloads.size(), c.downloads) << c.name;
        EXPECT_EQ(system.layout.stores, static_cast<int>(c.stores)) << c.name;
        const std::vector<LayoutEntry> entries = ReadLayoutManifest(system.layout.list);
        EXPECT_EQ(entries.size(), c.entries) << c.name;
        for (const LayoutEntry& entry : entries) {
            EXPECT_EQ(entry.sha256, hash) << c.name;
            EXPECT_EQ(entry.size, 1000u) << c.name;
            EXPECT_TRUE(system.layout.stored.count(std::wstring(entry.file.begin(), entry.file.end()))) << entry.file;
        }
        if (c.entries == 5) {
            EXPECT_TRUE(FindLayoutEntry(entries, "bluetooth", "win7") && FindLayoutEntry(entries, "bluetooth", "win8") &&
                        FindLayoutEntry(entries, "bluetooth", "win10") && FindLayoutEntry(entries, "receiver", "") &&
                        FindLayoutEntry(entries, "hotspot", ""));
            EXPECT_NE(system.requests[0].find("?os=win7&"), std::string::npos);
        }
        EXPECT_TRUE(system.layout.programCopied) << c.name;
        EXPECT_TRUE(system.installers.empty()) << c.name;  // nothing is installed
        EXPECT_FALSE(log.empty()) << c.name;
    }
}

// The list round-trips, and an entry only ever names a plain file with a hash.
TEST(QuietRun, LayoutListsFindOnlyPlainFiles) {
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
    EXPECT_EQ(LayoutFileName("receiver", "", "rx.exe"), "receiver_rx.exe");
    const struct { const char* file; std::string sha256; bool refused; } cases[] = {
        {"a.zip", hash, false}, {"..\\a.zip", hash, true}, {"sub/a.zip", hash, true}, {"C:a.zip", hash, true},
        {"nul.zip", hash, true}, {"", hash, true}, {"a.zip", "", true}, {"a.zip", hash + "0", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(!LayoutEntryRefusal({"bluetooth", "win7", c.file, 1, c.sha256, "", ""}).empty(), c.refused) << c.file;
    for (const char* broken : {"", "[]", "{\"packages\": [{\"size\": \"big\"}]}", "{\"packages\": {}}", "not json"})
        EXPECT_TRUE(ReadLayoutManifest(broken).empty()) << broken;
}
