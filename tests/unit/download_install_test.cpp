#include <gtest/gtest.h>

#include "fake_job.h"
#include "install/download_install.h"
#include "install/job_runner.h"
#include "net/device_service.h"

#include <cstring>

TEST(BluetoothInstall, GoodRunUnpacksAndStartsTheSignedSetupOfItsOwnFolder) {
    const CVendorSettings settings;
    CFakeJobWindow window;
    CBluetoothSystem system;
    system.windows = WindowsVersion::Win81;
    system.answer = R"({"status":true,"downloadURL":"https://host/files/pkg.zip","sha256":")" + kHash + R"("})";
    system.facts.sha256 = kHash;
    system.found = L"package\\drv\\Setup.exe";
    EXPECT_TRUE(RunJob(Bluetooth(), window, system));

    ASSERT_EQ(system.requests.size(), 1u);
    EXPECT_NE(system.requests[0].find("/api/rx/RealtekDrivers?os=win8&wirelessType=bluetooth&wirelessProduct=8821CU"),
              std::string::npos);
    EXPECT_EQ(system.downloadedTo, Paths{L"C:\\Work\\job-1\\pkg.zip"});
    // The pinned copy of the archiver, the one format the name says, into a folder of its own.
    EXPECT_EQ(system.copies, Paths{L"C:\\App\\data\\7za.exe"});
    EXPECT_EQ(system.started, Paths{L"C:\\Work\\job-1\\7za.exe x -tzip \"C:\\Work\\job-1\\pkg.zip\" "
                                    L"-o\"C:\\Work\\job-1\\package\" -p- -y"});
    EXPECT_EQ(system.timeouts, std::vector<unsigned long>{g_settings.archiverTimeoutMs});
    EXPECT_EQ(system.searches, Paths{L"package|Setup.exe"});
    EXPECT_EQ(system.checks, (Paths{L"sha256:C:\\Work\\job-1\\pkg.zip", L"sha256:C:\\Work\\job-1\\7za.exe",
                                    L"signer:C:\\Work\\job-1\\package\\drv\\Setup.exe"}));
    EXPECT_EQ(system.installers, Paths{L"C:\\Work\\job-1\\package\\drv\\Setup.exe"});
    EXPECT_EQ(system.noted, Paths{L"C:\\Work\\job-1"});  // later runs keep it while the setup runs
    EXPECT_EQ(system.removed, 0);
    // What the status line says, phase by phase: the setup runs on its own at the end.
    EXPECT_EQ(window.Events(), Then(kGoodBar, {L"checking", L"unpacking", L"checking", L"starting", L"started", L"ended"}));
    EXPECT_EQ(window.Told(), Outcome::Done);
    EXPECT_EQ(system.slept, kJobStartPauseMs + 1000u);  // the full bar, a moment
    EXPECT_FALSE(BusyFlag(JobId::Bluetooth));
    // Where no bar is seen (quiet, /layout), nothing waits for it.
    CFakeJobWindow unseen;
    unseen.showsProgress = false;
    system.slept = 0;
    EXPECT_TRUE(RunJob(Bluetooth(), unseen, system));
    EXPECT_EQ(unseen.Told(), Outcome::Done);
    EXPECT_EQ(system.slept, kJobStartPauseMs);
}

TEST(BluetoothInstall, RefusedPackagesAreNeverStarted) {
    const CVendorSettings settings;
    const std::string url = R"("downloadURL":"https://h/files/pkg.zip")";
    const struct { const char* name; std::string answer; const char* hash; const wchar_t* signer; std::string tree;
                   bool downloaded; Paths checks; Events after; } cases[] = {
        {"http address", R"({"status":true,"downloadURL":"http://h/files/pkg.zip"})", "", L"Vendor", "", false, {}, {}},
        {"malformed hash", R"({"status":true,)" + url + R"(,"sha256":"xyz"})", "", L"Vendor", "", false, {}, {}},
        {"hash not text", R"({"status":true,)" + url + R"(,"sha256":12})", "", L"Vendor", "", false, {}, {}},
        {"not an archive of ours", R"({"status":true,"downloadURL":"https://h/files/pkg.cab"})", "", L"Vendor", "",
         false, {}, {}},
        {"hash differs", R"({"status":true,)" + url + R"(,"sha256":")" + kHash + R"("})", "ab12", L"Vendor", "", true,
         {L"sha256:C:\\Work\\job-1\\pkg.zip"}, {L"checking", L"ended"}},
        {"other signer", R"({"status":true,)" + url + "}", "", L"Someone", "", true,
         {L"sha256:C:\\Work\\job-1\\7za.exe", L"signer:C:\\Work\\job-1\\package\\Setup.exe"},
         {L"checking", L"unpacking", L"checking", L"ended"}},
        {"a link unpacked", R"({"status":true,)" + url + "}", "", L"Vendor", "the package holds a link: x", true,
         {L"sha256:C:\\Work\\job-1\\7za.exe"}, {L"checking", L"unpacking", L"ended"}},
    };
    for (const auto& c : cases) {
        CFakeJobWindow window;
        CBluetoothSystem system;
        system.answer = c.answer;
        system.facts = {c.hash, c.signer};
        system.unpackedRefusal = c.tree;
        system.found = L"package\\Setup.exe";
        RunJob(Bluetooth(), window, system);
        EXPECT_EQ(window.Events(), c.downloaded ? Then(kGoodBar, c.after) : kAskedOnly) << c.name;
        EXPECT_EQ(window.Told(), Outcome::PackageRefused) << c.name;
        EXPECT_EQ(system.downloads.size(), c.downloaded ? 1u : 0u) << c.name;
        EXPECT_EQ(system.checks, c.checks) << c.name;
        EXPECT_TRUE(system.installers.empty()) << c.name;
        EXPECT_EQ(system.removed, c.downloaded ? 1 : 0) << c.name;
        EXPECT_FALSE(BusyFlag(JobId::Bluetooth)) << c.name;
    }
}

TEST(BluetoothInstall, FailuresBeforeThePackageSayWhatHappened) {
    const char* good = R"({"status":true,"downloadURL":"https://h/a.zip"})";
    const struct { const char* name; bool answered; const char* answer; bool downloadOk; NetResult failure;
                   Events events; Outcome told; } cases[] = {
        {"no answer", false, "", true, NetResult::NoConnection, kAskedOnly, Outcome::NoConnection},
        {"bad certificate", false, "", true, NetResult::SecureConnectionFailed, kAskedOnly, Outcome::SecureConnectionFailed},
        {"redirect to http", false, "", true, NetResult::Refused, kAskedOnly, Outcome::PackageRefused},
        // The connection worked: the service did not answer as it should.
        {"server error", false, "", true, NetResult::ServiceFailed, kAskedOnly, Outcome::ServiceFailed},
        {"empty body", true, "", true, NetResult::Ok, kAskedOnly, Outcome::ServiceFailed},
        {"not json", true, "<html>", true, NetResult::Ok, kAskedOnly, Outcome::ServiceFailed},
        {"status false", true, R"({"status":false,"downloadURL":"https://h/a.zip"})", true, NetResult::Ok, kAskedOnly,
         Outcome::NoPackageForWindows},
        {"status 0", true, R"({"status":0})", true, NetResult::Ok, kAskedOnly, Outcome::NoPackageForWindows},
        {"status text", true, R"({"status":"yes","downloadURL":"https://h/a.zip"})", true, NetResult::Ok, kAskedOnly,
         Outcome::ServiceFailed},
        {"no status", true, R"({"downloadURL":"https://h/a.zip"})", true, NetResult::Ok, kAskedOnly, Outcome::ServiceFailed},
        {"no url", true, R"({"status":true})", true, NetResult::Ok, kAskedOnly, Outcome::ServiceFailed},
        {"folder url", true, R"({"status":true,"downloadURL":"https://h/files/"})", true, NetResult::Ok, kAskedOnly,
         Outcome::ServiceFailed},
        {"traversal", true, R"({"status":true,"downloadURL":"https://h/..\\x.zip"})", true, NetResult::Ok, kAskedOnly,
         Outcome::ServiceFailed},
        {"download fails", true, good, false, NetResult::NoConnection, kFailedBar, Outcome::NoConnection},
        {"package not found", true, good, false, NetResult::NotFound, kFailedBar, Outcome::NoPackageForWindows},
        {"download server error", true, good, false, NetResult::ServiceFailed, kFailedBar, Outcome::ServiceFailed},
        {"disk full", true, good, false, NetResult::NotSaved, kFailedBar, Outcome::NotSaved},
        {"download certificate", true, good, false, NetResult::SecureConnectionFailed, kFailedBar,
         Outcome::SecureConnectionFailed},
        {"download redirect to http", true, good, false, NetResult::Refused, kFailedBar, Outcome::PackageRefused},
        {"cancelled while downloading", true, good, false, NetResult::Cancelled, kFailedBar, Outcome::Cancelled},
        {"no job folder", true, good, true, NetResult::Ok, kAskedOnly, Outcome::NotSaved},
    };
    for (const auto& c : cases) {
        CFakeJobWindow window;
        CBluetoothSystem system;
        system.answered = c.answered;
        system.answer = c.answer;
        system.downloadOk = c.downloadOk;
        system.failure = c.failure;
        if (std::string(c.name) == "no job folder") system.jobFolder.clear();
        system.found = L"package\\Setup.exe";
        RunJob(Bluetooth(), window, system);
        EXPECT_EQ(window.Events(), c.events) << c.name;
        EXPECT_EQ(window.Told(), c.told) << c.name;
        EXPECT_TRUE(system.started.empty()) << c.name;
        EXPECT_TRUE(system.installers.empty()) << c.name;
        EXPECT_EQ(system.removed, c.events == kFailedBar ? 1 : 0) << c.name;  // a job folder is never left behind
        EXPECT_FALSE(BusyFlag(JobId::Bluetooth)) << c.name;
    }
}

TEST(BluetoothInstall, ArchiverTroubleOrNoSetupSaysWhich) {
    const CVendorSettings settings;
    const ProcessRun neverRan = ProcessRun::NotStarted(2), fatal = ProcessRun::Exited(2), hung = ProcessRun::TimedOut(),
        fine = ProcessRun::Exited(0), unread = ProcessRun::CodeUnread(), cancelled = ProcessRun::Cancelled(false);
    const struct { const char* name; ProcessRun archiver; const char* archiverHash; bool archiverMissing;
                   const wchar_t* found; bool setupGone; ProcessRun start; Outcome told; bool searched; } cases[] = {
        {"archiver missing", fine, "", true, L"package\\Setup.exe", false, {}, Outcome::ArchiverFailed, false},
        // Someone put another program in its place: it never runs.
        {"archiver not the pinned one", fine, "0bad", false, L"package\\Setup.exe", false, {},
         Outcome::BundledProgramRefused, false},
        {"archiver does not start", neverRan, "", false, L"package\\Setup.exe", false, {}, Outcome::ArchiverFailed,
         false},
        {"fatal error", fatal, "", false, L"package\\Setup.exe", false, {}, Outcome::ArchiverFailed, false},
        {"ran too long", hung, "", false, L"package\\Setup.exe", false, {}, Outcome::ArchiverFailed, false},
        // An exit code never read (or STILL_ACTIVE) is no proof that anything was unpacked.
        {"exit code not read", unread, "", false, L"package\\Setup.exe", false, {}, Outcome::ArchiverFailed, false},
        // The user's cancel ended it: nothing after it runs.
        {"cancelled while unpacking", cancelled, "", false, L"package\\Setup.exe", false, {}, Outcome::Cancelled, false},
        {"no setup inside", fine, "", false, L"", false, {}, Outcome::InstallerMissing, true},
        {"setup gone", fine, "", false, L"package\\gone\\Setup.exe", true, {}, Outcome::InstallerMissing, true},
        {"setup does not start", fine, "", false, L"package\\Setup.exe", false, neverRan, Outcome::InstallerMissing,
         true},
    };
    for (const auto& c : cases) {
        CFakeJobWindow window;
        CBluetoothSystem system;
        system.runs[L"C:\\Work\\job-1\\7za.exe"] = c.archiver;
        if (*c.archiverHash) system.factsOf[L"7za.exe"].sha256 = c.archiverHash;
        system.unholdable[L"7za.exe"] = c.archiverMissing;
        system.found = c.found;
        system.unholdable[L"package\\gone\\Setup.exe"] = c.setupGone;
        system.installerOutcome = c.start;
        RunJob(Bluetooth(), window, system);
        EXPECT_TRUE(StartsWith(window.Events(), Then(kGoodBar, {L"checking"}))) << c.name;
        EXPECT_EQ(window.Told(), c.told) << c.name;
        EXPECT_EQ(system.started.size(), c.archiverMissing || *c.archiverHash ? 0u : 1u) << c.name;
        EXPECT_EQ(system.searches.size(), c.searched ? 1u : 0u) << c.name;
        EXPECT_EQ(system.removed, 1) << c.name;
    }
    // A warning (exit code 1) still goes on to the search.
    CFakeJobWindow window;
    CBluetoothSystem system;
    system.outcome = ProcessRun::Exited(1);
    system.found = L"package\\Setup.exe";
    RunJob(Bluetooth(), window, system);
    EXPECT_EQ(system.installers, Paths{L"C:\\Work\\job-1\\package\\Setup.exe"});
}

TEST(BluetoothInstall, ABusyJobIsLeftAlone) {
    BusyFlag(JobId::Bluetooth) = true;
    CFakeJobWindow window;
    CFakeJobSystem system;
    EXPECT_FALSE(RunJob(Bluetooth(), window, system));
    EXPECT_TRUE(system.requests.empty());
    EXPECT_TRUE(window.Events().empty());
    EXPECT_TRUE(window.told.empty());
    EXPECT_TRUE(BusyFlag(JobId::Bluetooth));
    BusyFlag(JobId::Bluetooth) = false;
}

TEST(PackageInstall, ReceiverAndHotspotStartWhatTheyDownloaded) {
    const CVendorSettings settings;
    // An .msi starts from the package cache, where a later repair finds it;
    // one that cannot be kept there still installs.
    const std::wstring cached = L"C:\\Work\\msi-cache\\" + Utf8ToWide(kHash) + L"\\hs.MSI";
    const struct { JobId job; const char* resource; const char* file; unsigned long cacheError; std::wstring from; } cases[] = {
        {JobId::Receiver, "/api/rx/QuilloRXApp", "rx.exe", 0, L""},
        {JobId::Hotspot, "/api/rx/TWHotspot", "hs.MSI", 0, cached},
        {JobId::Hotspot, "/api/rx/TWHotspot", "hs.MSI", 112, L""}};
    for (const auto& c : cases) {
        CFakeJobWindow window;
        CFakeJobSystem system;
        system.cacheError = c.cacheError;
        const std::string url = std::string("https://h/files/") + c.file + "?v=2";
        system.answer = R"({"status":1,"downloadURL":")" + url + R"(","sha256":")" + kHash + R"("})";
        system.facts.sha256 = kHash;
        RunJob(JobOf(c.job), window, system);
        const std::wstring path = L"C:\\Work\\job-1\\" + std::wstring(c.file, c.file + std::strlen(c.file));
        EXPECT_EQ(system.requests, std::vector<std::string>{"https://" + g_settings.serviceHost + c.resource});
        EXPECT_EQ(system.downloads, std::vector<std::string>{url});
        EXPECT_EQ(system.checks, (Paths{L"sha256:" + path, L"signer:" + path}));
        EXPECT_EQ(system.installers, Paths{c.from.empty() ? path : c.from}) << c.file << c.cacheError;
        EXPECT_EQ(window.Events(), Then(kGoodBar, {L"checking", L"starting", L"started", L"ended"}));
        EXPECT_EQ(window.Told(), Outcome::Done);
        EXPECT_TRUE(system.started.empty());
        EXPECT_FALSE(BusyFlag(c.job));
    }
}

TEST(PackageInstall, MissingRefusedOrUnstartableInstallers) {
    const CVendorSettings settings;
    const ProcessRun neverRan = ProcessRun::NotStarted(740);
    const struct { const char* name; const char* file; bool gone; const wchar_t* signer; ProcessRun start;
                   Events events; Outcome told; std::size_t startsTried; } cases[] = {
        {"gone after download", "rx.exe", true, L"Vendor", ProcessRun::Running(), Then(kGoodBar, {L"ended"}),
         Outcome::InstallerMissing, 0},
        {"other signer", "rx.exe", false, L"Someone", ProcessRun::Running(), Then(kGoodBar, {L"checking", L"ended"}),
         Outcome::PackageRefused,
         0},
        {"start fails", "rx.exe", false, L"Vendor", neverRan, Then(kGoodBar, {L"checking", L"starting", L"ended"}),
         Outcome::InstallerMissing, 1},
        {"batch file", "rx.bat", false, L"Vendor", {}, kAskedOnly, Outcome::PackageRefused, 0},
        // An .msi whose files come from cabinets beside it cannot install from the one download.
        {"msi with an external cabinet", "hs.msi", false, L"Vendor", ProcessRun::Running(),
         Then(kGoodBar, {L"checking", L"ended"}), Outcome::PackageRefused, 0},
        {"registry file", "rx.exe.reg", false, L"Vendor", {}, kAskedOnly, Outcome::PackageRefused, 0},
    };
    for (const auto& c : cases) {
        CFakeJobWindow window;
        CFakeJobSystem system;
        system.answer = std::string(R"({"status":true,"downloadURL":"https://h/files/)") + c.file + "\"}";
        system.unholdable[L"rx.exe"] = c.gone;
        system.facts.signer = c.signer;
        system.installerOutcome = c.start;
        system.facts.msi = {true, {L"#data.cab", L"data2.cab"}, 3};
        RunJob(JobOf(JobId::Hotspot), window, system);
        EXPECT_EQ(window.Events(), c.events) << c.name;
        EXPECT_EQ(window.Told(), c.told) << c.name;
        EXPECT_EQ(system.installers.size(), c.startsTried) << c.name;
        EXPECT_TRUE(system.noted.empty()) << c.name;
    }

    CFakeJobWindow failed;
    CFakeJobSystem broken;
    broken.answer = R"({"status":true,"downloadURL":"https://h/files/rx.exe"})";
    broken.downloadOk = false;
    RunJob(JobOf(JobId::Receiver), failed, broken);
    EXPECT_EQ(failed.Events(), kFailedBar);
    EXPECT_EQ(failed.Told(), Outcome::NoConnection);
}

// Only when nobody may be asked does an installer get its silent switches.
TEST(PackageInstall, SilentSwitchesOnlyWhenNobodyMayBeAsked) {
    CVendorSettings settings;
    g_settings.silentArguments[JobIndex(JobId::Receiver)] = L"/S /norestart";
    for (bool unattended : {false, true}) {
        g_settings.run.unattended = unattended;
        CFakeJobWindow window;
        CFakeJobSystem system;
        system.answer = R"({"status":true,"downloadURL":"https://h/files/rx.exe"})";
        RunJob(JobOf(JobId::Receiver), window, system);
        EXPECT_EQ(system.installers, Paths{unattended ? L"C:\\Work\\job-1\\rx.exe /S /norestart" : L"C:\\Work\\job-1\\rx.exe"})
            << unattended;
    }
}

// Quiet mode waits for what it starts: the installer's own code decides.
TEST(PackageInstall, AnInstallerWaitedForEndsWithItsCode) {
    const CVendorSettings settings;
    const struct { ProcessRun run; Outcome told; unsigned long code; } cases[] = {
        {ProcessRun::Exited(0), Outcome::Done, 0},
        {ProcessRun::Exited(3010), Outcome::RestartNeeded, 3010},
        {ProcessRun::Exited(1641), Outcome::RestartStarted, 1641},
        {ProcessRun::Exited(1618), Outcome::InstallInProgress, 1618},
        {ProcessRun::Exited(1603), Outcome::InstallerFailed, 1603},
        {ProcessRun::CodeUnread(), Outcome::InstallerFailed, 0},  // an exit code not read is no success
        {ProcessRun::TimedOut(), Outcome::InstallerTimedOut, 0},
    };
    for (const auto& c : cases) {
        CFakeJobWindow window;
        CFakeJobSystem system;
        system.answer = R"({"status":true,"downloadURL":"https://h/files/rx.exe"})";
        system.installerOutcome = c.run;
        RunJob(JobOf(JobId::Receiver), window, system);
        ASSERT_EQ(window.told.size(), 1u);
        EXPECT_EQ(window.told[0].kind, c.told) << c.run.exitCode;
        EXPECT_EQ(window.told[0].code, c.code) << c.run.exitCode;
        EXPECT_EQ(system.noted.size(), 1u);  // it ran from there: the folder stays for a later clean-up
    }
}
