#include <gtest/gtest.h>

#include "fake_job.h"
#include "install/job_runner.h"
#include "install/layout_manifest.h"

// An offline layout's package is used only when something besides its own
// manifest vouches for it: the service's hash for the same request (the
// layout then saves the download), the manifest pinned in the program, or a
// layout only administrators can change, when the service is not asked or
// cannot be reached. The entry passes the checks a download does, the copy
// must have the vouched size and hash; anything else is downloaded, or,
// offline, ends as "no package for this Windows".
TEST(FromLayout, AnOfflineLayoutIsUsedOnlyWhenSomethingElseVouchesForIt) {
    const CVendorSettings settings;
    const std::string other(64, 'd');
    const auto manifest = [](const char* windows, const char* file, unsigned long long size, const std::string& hash) {
        return WriteLayoutManifest(
            {{"bluetooth", windows, file, size, hash, "https://h/files/pkg.zip", "2026-12-09T13:00:00Z"}});
    };
    const std::string good = manifest("win10", "bluetooth_pkg.zip", 1000, kHash);
    enum Service { Unhashed, SameHash, SameHashInCapitals, OtherHash, Down, NoPackage };
    const struct { const char* name; std::string manifest; bool offline; Service service; bool pinned;
                   const char* layoutChangers; const char* fileChangers; int copied; bool taken; Outcome told; } cases[] = {
        {"the service's own hash", good, false, SameHash, false, "S-1-1-0", "S-1-1-0", 2, true, Outcome::Done},
        // The same hash, however the service writes its digits.
        {"the service's own hash in capitals", good, false, SameHashInCapitals, false, "S-1-1-0", "", 2, true,
         Outcome::Done},
        {"the service names another", good, false, OtherHash, false, "", "", 0, false, Outcome::Done},
        {"the service names no hash", good, false, Unhashed, false, "", "", 0, false, Outcome::Done},
        {"the service has none", good, false, NoPackage, false, "", "", 0, false, Outcome::NoPackageForWindows},
        {"offline, administrators' only", good, true, Down, false, "", "", 2, true, Outcome::Done},
        {"offline, others may change it", good, true, Down, false, "packages\\: S-1-1-0", "", 0, false,
         Outcome::NoPackageForWindows},
        {"offline, others may change the file", good, true, Down, false, "", "S-1-1-0", 0, false,
         Outcome::NoPackageForWindows},
        {"offline, pinned", good, true, Down, true, "S-1-1-0", "S-1-1-0", 2, true, Outcome::Done},
        {"service down, administrators' only", good, false, Down, false, "", "", 2, true, Outcome::Done},
        {"service down, others may change it", good, false, Down, false, "S-1-1-0", "", 0, false,
         Outcome::NoConnection},
        // Refused before a byte is copied: a huge file never fills the disk.
        {"size differs", manifest("win10", "bluetooth_pkg.zip", 999, kHash), true, Down, false, "", "", 1, false,
         Outcome::NoPackageForWindows},
        {"hash differs", manifest("win10", "bluetooth_pkg.zip", 1000, other), true, Down, false, "", "", 2, false,
         Outcome::NoPackageForWindows},
        {"a tar the archiver would guess at", manifest("win10", "bluetooth_pkg.tar", 1000, kHash), true, Down, false,
         "", "", 0, false, Outcome::NoPackageForWindows},
        {"outside packages", manifest("win10", "..\\pkg.zip", 1000, kHash), true, Down, false, "", "", 0, false,
         Outcome::NoPackageForWindows},
        {"a device", manifest("win10", "CON", 1000, kHash), true, Down, false, "", "", 0, false,
         Outcome::NoPackageForWindows},
        {"not a hash", manifest("win10", "b.zip", 1000, "ab12"), true, Down, false, "", "", 0, false,
         Outcome::NoPackageForWindows},
        {"other Windows", manifest("win7", "b.zip", 1000, kHash), true, Down, false, "", "", 0, false,
         Outcome::NoPackageForWindows},
        {"no manifest of ours", R"({"packages": 5})", false, Down, false, "", "", 0, false, Outcome::NoConnection},
    };
    for (const auto& c : cases) {
        CVendorSettings scope;
        g_settings.run.offline = c.offline;
        g_settings.pinnedLayoutManifestSha256 = c.pinned ? "m1" : "m2";
        CFakeJobWindow window;
        CBluetoothSystem system;
        system.manifest = c.manifest;
        system.layoutChangers = c.layoutChangers;
        system.packageChangers[L"bluetooth_pkg.zip"] = c.fileChangers;
        system.facts = {kHash, L"Vendor", 1000};
        const std::string served = c.service == OtherHash ? other : kHash;
        system.factsOf[L"dl.zip"] = {served, L"Vendor", 1000};
        system.answer = c.service == NoPackage ? R"({"status":false})"
                        : R"({"status":true,"downloadURL":"https://h/files/dl.zip")" +
                              (c.service == Unhashed ? std::string()
                               : R"(,"sha256":")" + (c.service == SameHashInCapitals ? std::string(64, 'C') : served) + "\"") +
                              "}";
        system.answered = c.service != Down;
        system.found = L"package\\Setup.exe";
        RunJob(Bluetooth(), window, system);
        const bool downloaded = !c.taken && !c.offline && c.service != Down && c.service != NoPackage;
        EXPECT_EQ(window.Told(), c.told) << c.name;
        EXPECT_EQ(system.requests.size(), c.offline ? 0u : 1u) << c.name;  // asked whenever not offline
        EXPECT_EQ(system.downloads.size(), downloaded ? 1u : 0u) << c.name;
        EXPECT_EQ(system.installers.size(), c.told == Outcome::Done ? 1u : 0u) << c.name;
        const bool layoutCopied = !system.copies.empty() && system.copies[0].rfind(L"L:\\layout\\packages\\", 0) == 0;
        EXPECT_EQ(layoutCopied, c.copied != 0) << c.name;
        // The bar shows the copy, or the download, or both.
        const Events events = window.Events();
        EXPECT_EQ(Contains(events, {L"copying"}), c.copied != 0) << c.name;
        EXPECT_EQ(Contains(events, {L"copying", L"bar:50", L"bar:100"}), c.copied == 2) << c.name;
        EXPECT_EQ(Contains(events, {L"downloading", L"bar:40", L"bar:80", L"bar:100"}), downloaded) << c.name;
    }
    // A build that names no signer takes nothing from a layout, whatever vouches.
    CVendorSettings unsigned_;
    g_settings.packageSigner.clear();
    g_settings.unsignedPackagesAllowed = true;
    g_settings.run.offline = true;
    CFakeJobWindow window;
    CBluetoothSystem system;
    system.manifest = good;
    system.facts = {kHash, L"Vendor", 1000};
    RunJob(Bluetooth(), window, system);
    EXPECT_EQ(window.Told(), Outcome::NoPackageForWindows);
    EXPECT_TRUE(system.copies.empty());
}

// An installer job takes from a layout only what it would download: an .exe
// or an .msi; a layout entry naming a script is never copied, let alone run.
TEST(FromLayout, ALayoutEntryOfAnotherKindIsNeverTaken) {
    const CVendorSettings settings;
    g_settings.run.offline = true;
    for (const char* file : {"receiver_x.cmd", "receiver_x.bat", "receiver_x.exe.lnk", "receiver_x.exe"}) {
        CFakeJobWindow window;
        CFakeJobSystem system;
        system.manifest = WriteLayoutManifest(
            {{"receiver", "", file, 1000, kHash, "https://h/files/x.exe", "2026-12-09T13:00:00Z"}});
        system.facts = {kHash, L"Vendor", 1000};
        RunJob(JobOf(JobId::Receiver), window, system);
        const bool program = std::string(file) == "receiver_x.exe";
        EXPECT_EQ(window.Told(), program ? Outcome::Done : Outcome::NoPackageForWindows) << file;
        EXPECT_EQ(system.copies.size(), program ? 1u : 0u) << file;
        EXPECT_EQ(system.temps, program ? Paths{L"C:\\Work\\job-1\\temp"} : Paths{}) << file;
    }
}
