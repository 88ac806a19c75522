#include <gtest/gtest.h>

#include "fake_job.h"
#include "install/busy_flag.h"
#include "install/download_install.h"
#include "net/device_service.h"

#include <cstring>

using Events = std::vector<std::wstring>;

namespace {
const Events kGoodBar = {L"bar-shown", L"bar:40", L"bar:80", L"bar:100", L"bar-hidden"};
Events With(Events events, const std::wstring& last) { events.push_back(last); return events; }
using Paths = std::vector<std::wstring>;
const std::string kHash(64, 'c');
}  // namespace

TEST(BluetoothInstall, GoodRunUnpacksAndStartsTheSignedSetupOfItsOwnFolder) {
    g_packageSigner = L"Vendor";
    std::atomic<bool> busy{false};
    CFakeJobWindow window;
    CFakeJobSystem system;
    system.osClass = 8;
    system.answer = R"({"status":true,"downloadURL":"https://host/files/pkg.zip","sha256":")" + kHash + R"("})";
    system.facts.sha256 = kHash;
    system.found = L"C:\\Work\\job-1\\drv\\Setup.exe";
    InstallBluetoothDriver(window, system, busy);

    ASSERT_EQ(system.requests.size(), 1u);
    EXPECT_NE(system.requests[0].find("/api/rx/RealtekDrivers?os=win8&wirelessType=bluetooth"), std::string::npos);
    EXPECT_EQ(system.downloadedTo, Paths{L"C:\\Work\\job-1\\pkg.zip"});
    EXPECT_EQ(system.started, Paths{L"C:\\App\\data\\7za.exe x \"C:\\Work\\job-1\\pkg.zip\" -o\"C:\\Work\\job-1\" -p- -y"});
    EXPECT_EQ(system.timeouts, std::vector<unsigned long>{g_archiverTimeoutMs});
    EXPECT_EQ(system.searches, Paths{L"C:\\Work\\job-1\\*.*|Setup.exe|descend"});
    EXPECT_EQ(system.checks, (Paths{L"sha256:C:\\Work\\job-1\\pkg.zip", L"signer:C:\\Work\\job-1\\drv\\Setup.exe"}));
    EXPECT_EQ(system.elevated, Paths{L"C:\\Work\\job-1\\drv\\Setup.exe"});
    EXPECT_TRUE(system.removed.empty());  // the started setup runs from there
    EXPECT_EQ(window.Events(), kGoodBar);
    EXPECT_EQ(system.slept, 200u + 1000u);
    EXPECT_FALSE(busy);
}

TEST(BluetoothInstall, RefusedPackagesAreNeverStarted) {
    g_packageSigner = L"Vendor";
    const std::string url = R"("downloadURL":"https://h/files/pkg.zip")";
    const struct { const char* name; std::string answer; const char* hash; const wchar_t* signer; bool downloaded; Paths checks; } cases[] = {
        {"http address", R"({"status":true,"downloadURL":"http://h/files/pkg.zip"})", "", L"Vendor", false, {}},
        {"malformed hash", R"({"status":true,)" + url + R"(,"sha256":"xyz"})", "", L"Vendor", false, {}},
        {"hash not text", R"({"status":true,)" + url + R"(,"sha256":12})", "", L"Vendor", false, {}},
        {"hash differs", R"({"status":true,)" + url + R"(,"sha256":")" + kHash + R"("})", "ab12", L"Vendor", true,
         {L"sha256:C:\\Work\\job-1\\pkg.zip"}},
        {"other signer", R"({"status":true,)" + url + "}", "", L"Someone", true,
         {L"signer:C:\\Work\\job-1\\Setup.exe"}},
    };
    for (const auto& c : cases) {
        std::atomic<bool> busy{false};
        CFakeJobWindow window;
        window.words = {{kPkgNotTrusted, L"Not verified."}};
        CFakeJobSystem system;
        system.answer = c.answer;
        system.facts = {c.hash, c.signer};
        system.found = L"C:\\Work\\job-1\\Setup.exe";
        InstallBluetoothDriver(window, system, busy);
        EXPECT_EQ(window.Events(), c.downloaded ? With(kGoodBar, L"status:Not verified.") : Events{L"status:Not verified."})
            << c.name;
        EXPECT_EQ(system.downloads.size(), c.downloaded ? 1u : 0u) << c.name;
        EXPECT_EQ(system.checks, c.checks) << c.name;
        EXPECT_TRUE(system.elevated.empty()) << c.name;
        EXPECT_EQ(system.removed, c.downloaded ? Paths{L"C:\\Work\\job-1"} : Paths{}) << c.name;
        EXPECT_FALSE(busy) << c.name;
    }
}

TEST(BluetoothInstall, FailuresBeforeThePackageSayWhatHappened) {
    const std::wstring barShownAndHidden[] = {L"bar-shown", L"bar:40", L"bar:80", L"bar-hidden"};
    const Events failedDownload(std::begin(barShownAndHidden), std::end(barShownAndHidden));
    const char* good = R"({"status":true,"downloadURL":"https://h/a.zip"})";
    const struct { const char* name; bool answered; const char* answer; bool downloadOk; NetResult failure; Events events; } cases[] = {
        {"no answer", false, "", true, NetResult::NoConnection, {L"no-internet"}},
        {"bad certificate", false, "", true, NetResult::SecureChannelFailed, {L"status:TLS_FAILED"}},
        {"redirect to http", false, "", true, NetResult::Refused, {L"status:PKG_NOT_TRUSTED"}},
        {"empty body", true, "", true, NetResult::Ok, {L"no-internet"}},
        {"not json", true, "<html>", true, NetResult::Ok, {L"no-internet"}},
        {"status false", true, R"({"status":false,"downloadURL":"https://h/a.zip"})", true, NetResult::Ok,
         {L"status:NO_PACKAGE_FOR_OS"}},
        {"status 0", true, R"({"status":0})", true, NetResult::Ok, {L"status:NO_PACKAGE_FOR_OS"}},
        {"status text", true, R"({"status":"yes","downloadURL":"https://h/a.zip"})", true, NetResult::Ok, {L"no-internet"}},
        {"no status", true, R"({"downloadURL":"https://h/a.zip"})", true, NetResult::Ok, {L"no-internet"}},
        {"no url", true, R"({"status":true})", true, NetResult::Ok, {L"no-internet"}},
        {"folder url", true, R"({"status":true,"downloadURL":"https://h/files/"})", true, NetResult::Ok, {L"no-internet"}},
        {"traversal", true, R"({"status":true,"downloadURL":"https://h/..\\x.zip"})", true, NetResult::Ok, {L"no-internet"}},
        {"download fails", true, good, false, NetResult::NoConnection, With(failedDownload, L"no-internet")},
        {"package not found", true, good, false, NetResult::NotFound, With(failedDownload, L"status:NO_PACKAGE_FOR_OS")},
        {"disk full", true, good, false, NetResult::NotSaved, With(failedDownload, L"status:DL_NOT_SAVED")},
        {"download certificate", true, good, false, NetResult::SecureChannelFailed, With(failedDownload, L"status:TLS_FAILED")},
        {"download redirect to http", true, good, false, NetResult::Refused, With(failedDownload, L"status:PKG_NOT_TRUSTED")},
        {"no job folder", true, good, true, NetResult::Ok, {L"status:DL_NOT_SAVED"}},
    };
    for (const auto& c : cases) {
        std::atomic<bool> busy{false};
        CFakeJobWindow window;
        CFakeJobSystem system;
        system.answered = c.answered;
        system.answer = c.answer;
        system.downloadOk = c.downloadOk;
        system.failure = c.failure;
        if (std::string(c.name) == "no job folder") system.jobFolder.clear();
        system.found = L"C:\\Work\\Setup.exe";  // a stale one must not be started
        InstallBluetoothDriver(window, system, busy);
        EXPECT_EQ(window.Events(), c.events) << c.name;
        EXPECT_TRUE(system.started.empty()) << c.name;
        EXPECT_TRUE(system.elevated.empty()) << c.name;
        EXPECT_FALSE(busy) << c.name;
    }
}

TEST(BluetoothInstall, ArchiverTroubleOrNoSetupEndsInTheStatusText) {
    g_packageSigner = L"Vendor";
    const wchar_t* setup = L"C:\\Work\\job-1\\Setup.exe";
    const struct { const char* name; ProcessOutcome archiver; const wchar_t* found; bool searched; bool startOk; } cases[] = {
        {"archiver missing", {false, false, 0}, setup, false, true},
        {"fatal error", {true, true, 2}, setup, false, true},
        {"ran too long", {true, false, 0, true}, setup, false, true},
        {"no setup inside", {true, true, 0}, L"", true, true},
        {"setup gone", {true, true, 0}, L"C:\\Work\\job-1\\gone\\Setup.exe", true, true},
        {"start declined", {true, true, 0}, setup, true, false},
    };
    for (const auto& c : cases) {
        std::atomic<bool> busy{false};
        CFakeJobWindow window;
        window.words = {{kBtInstallerMiss, L"No setup program."}};
        CFakeJobSystem system;
        system.outcome = c.archiver;
        system.found = c.found;
        system.unholdable[L"C:\\Work\\job-1\\gone\\Setup.exe"] = true;
        system.startOk = c.startOk;
        InstallBluetoothDriver(window, system, busy);
        EXPECT_EQ(window.Events(), With(kGoodBar, L"status:No setup program.")) << c.name;
        EXPECT_EQ(system.elevated.empty(), c.startOk) << c.name;
        EXPECT_EQ(system.searches.size(), c.searched ? 1u : 0u) << c.name;
        EXPECT_EQ(system.removed, Paths{L"C:\\Work\\job-1"}) << c.name;
    }
    // A warning (exit code 1) still goes on to the search.
    std::atomic<bool> busy{false};
    CFakeJobWindow window;
    CFakeJobSystem system;
    system.outcome = {true, true, 1};
    system.found = L"C:\\Work\\job-1\\Setup.exe";
    InstallBluetoothDriver(window, system, busy);
    EXPECT_EQ(system.elevated, Paths{L"C:\\Work\\job-1\\Setup.exe"});
}

TEST(BluetoothInstall, ABusyJobIsLeftAlone) {
    std::atomic<bool> busy{true};
    CFakeJobWindow window;
    CFakeJobSystem system;
    InstallBluetoothDriver(window, system, busy);
    EXPECT_TRUE(system.requests.empty());
    EXPECT_TRUE(window.Events().empty());
    EXPECT_TRUE(busy);
}

TEST(PackageInstall, ReceiverAndHotspotStartWhatTheyDownloaded) {
    g_packageSigner = L"Vendor";
    const struct { void (*run)(IJobWindow&, IJobSystem&); const char* resource; const char* file; } cases[] = {
        {InstallReceiverApp, "/api/rx/QuilloRXApp", "rx.exe"}, {InstallHotspotDriver, "/api/rx/TWHotspot", "hs.MSI"}};
    for (const auto& c : cases) {
        CFakeJobWindow window;
        CFakeJobSystem system;
        const std::string url = std::string("https://h/files/") + c.file + "?v=2";
        system.answer = R"({"status":1,"downloadURL":")" + url + R"(","sha256":")" + kHash + R"("})";
        system.facts.sha256 = kHash;
        system.found = L"C:\\Work\\old\\rx.exe";  // listed first: must not win
        c.run(window, system);
        const std::wstring path = L"C:\\Work\\job-1\\" + std::wstring(c.file, c.file + std::strlen(c.file));
        EXPECT_EQ(system.requests, std::vector<std::string>{ResourceUrl(c.resource)});
        EXPECT_EQ(system.downloads, std::vector<std::string>{url});
        EXPECT_EQ(system.checks, (Paths{L"sha256:" + path, L"signer:" + path}));
        EXPECT_EQ(system.elevated, Paths{path});
        EXPECT_EQ(window.Events(), kGoodBar);
        EXPECT_TRUE(system.started.empty());
    }
    EXPECT_FALSE(g_receiverBusy);
    EXPECT_FALSE(g_hotspotBusy);
}

TEST(PackageInstall, MissingRefusedOrUnstartableInstallers) {
    g_packageSigner = L"Vendor";
    const struct { const char* name; const char* file; bool gone; const wchar_t* signer; bool startOk; Events events;
                   std::size_t startsTried; } cases[] = {
        {"gone after download", "rx.exe", true, L"Vendor", true, With(kGoodBar, L"status:Installer missing."), 0},
        {"other signer", "rx.exe", false, L"Someone", true, With(kGoodBar, L"status:Not verified."), 0},
        {"start declined", "rx.exe", false, L"Vendor", false, With(kGoodBar, L"status:Installer missing."), 1},
        {"batch file", "rx.bat", false, L"Vendor", true, {L"status:Not verified."}, 0},
        {"registry file", "rx.exe.reg", false, L"Vendor", true, {L"status:Not verified."}, 0},
    };
    for (const auto& c : cases) {
        CFakeJobWindow window;
        window.words = {{kRxInstallerMiss, L"Installer missing."}, {kPkgNotTrusted, L"Not verified."}};
        CFakeJobSystem system;
        system.answer = std::string(R"({"status":true,"downloadURL":"https://h/files/)") + c.file + "\"}";
        system.unholdable[L"C:\\Work\\job-1\\rx.exe"] = c.gone;
        system.facts.signer = c.signer;
        system.startOk = c.startOk;
        InstallHotspotDriver(window, system);
        EXPECT_EQ(window.Events(), c.events) << c.name;
        EXPECT_EQ(system.elevated.size(), c.startsTried) << c.name;
    }

    CFakeJobWindow failed;
    CFakeJobSystem broken;
    broken.answer = R"({"status":true,"downloadURL":"https://h/files/rx.exe"})";
    broken.downloadOk = false;
    InstallReceiverApp(failed, broken);
    EXPECT_EQ(failed.Events(), (Events{L"bar-shown", L"bar:40", L"bar:80", L"bar-hidden", L"no-internet"}));
}
