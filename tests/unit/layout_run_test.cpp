#include <gtest/gtest.h>

#include "fake_job.h"
#include "install/layout_manifest.h"
#include "quiet/layout_run.h"

using Args = std::vector<std::wstring>;

// /layout: every package for every Windows the service tells apart, proven
// and stored once (the one Bluetooth package the three Windows share: once);
// what the layout holds already is not fetched again, what fails its proof
// is not stored, and what an earlier manifest names is kept only while its
// file is there as it says.
TEST(LayoutRun, StoresEveryProvenPackageOnce) {
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
                   bool filesGone; ExitCode code; std::size_t downloads, stores, entries; const char* changers = ""; } cases[] = {
        {"all four jobs", {L"/layout", L"D:\\l"}, true, L"Vendor", false, false, kExitDone, 3, 3, 5},
        {"again: nothing new", {L"/layout", L"D:\\l"}, true, L"Vendor", true, false, kExitDone, 0, 0, 5},
        // Without a hash to compare, fetched and proven again, and kept as it is.
        {"again without hashes", {L"/layout", L"D:\\l"}, false, L"Vendor", true, false, kExitDone, 3, 0, 5},
        {"again, its files gone", {L"/layout", L"D:\\l"}, true, L"Vendor", true, true, kExitDone, 3, 3, 5},
        {"only Bluetooth", {L"/layout", L"D:\\l", L"/bluetooth"}, true, L"Vendor", false, false, kExitDone, 1, 1, 3},
        // What an earlier run stored of the others stays while its file is there.
        {"only Bluetooth again", {L"/layout", L"D:\\l", L"/bluetooth"}, true, L"Vendor", true, false, kExitDone, 0, 0,
         5},
        // Where others could have written them, earlier entries prove nothing: the run starts anew.
        {"only Bluetooth again, others may write the layout", {L"/layout", L"D:\\l", L"/bluetooth"}, true, L"Vendor",
         true, false, kExitDone, 1, 0, 3, "S-1-1-0"},
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
            system.layout.changers = c.changers;
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
