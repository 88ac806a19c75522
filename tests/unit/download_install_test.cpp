#include <gtest/gtest.h>

#include "fake_job.h"
#include "install/busy_flag.h"
#include "install/download_install.h"
#include "net/device_service.h"

using Events = std::vector<std::wstring>;

namespace {
const Events kGoodBar = {L"bar-shown", L"bar:40", L"bar:80", L"bar:100", L"bar-hidden"};
Events With(Events events, const std::wstring& last) { events.push_back(last); return events; }
}  // namespace

TEST(BluetoothInstall, GoodRunUnpacksAndStartsSetupElevated) {
    std::atomic<bool> busy{false};
    CFakeJobWindow window;
    CFakeJobSystem system;
    system.osClass = 8;
    system.found = L"C:\\Work\\drv\\Setup.exe";
    InstallBluetoothDriver(window, system, busy);

    ASSERT_EQ(system.requests.size(), 1u);
    EXPECT_NE(system.requests[0].find("/api/rx/RealtekDrivers?os=win8&wirelessType=bluetooth"), std::string::npos);
    EXPECT_EQ(system.downloadedTo, std::vector<std::wstring>{L"C:\\Work\\pkg.zip"});
    EXPECT_EQ(system.started, std::vector<std::wstring>{
        L"C:\\App\\data\\7za.exe x \"C:\\Work\\pkg.zip\" -o\"C:\\Work\" -y"});
    EXPECT_EQ(system.searches, std::vector<std::wstring>{L"C:\\Work\\*.*|Setup.exe|descend"});
    EXPECT_EQ(system.elevated, std::vector<std::wstring>{L"C:\\Work\\drv\\Setup.exe"});
    EXPECT_EQ(window.Events(), kGoodBar);
    EXPECT_EQ(system.slept, 200u + 1000u);
    EXPECT_FALSE(busy);
}

TEST(BluetoothInstall, FailuresBeforeThePackageEndInTheNoConnectionMessage) {
    const struct { const char* name; bool answered; const char* answer; bool downloadOk; Events events; } cases[] = {
        {"no answer", false, "", true, {L"no-internet"}},
        {"empty body", true, "", true, {L"no-internet"}},
        {"not json", true, "<html>", true, {L"no-internet"}},
        {"status false", true, R"({"status":false,"downloadURL":"https://h/a.zip"})", true, {L"no-internet"}},
        {"status text", true, R"({"status":"yes","downloadURL":"https://h/a.zip"})", true, {L"no-internet"}},
        {"no url", true, R"({"status":true})", true, {L"no-internet"}},
        {"folder url", true, R"({"status":true,"downloadURL":"https://h/files/"})", true, {L"no-internet"}},
        {"traversal", true, R"({"status":true,"downloadURL":"https://h/..\\x.zip"})", true, {L"no-internet"}},
        {"download fails", true, R"({"status":true,"downloadURL":"https://h/a.zip"})", false,
         {L"bar-shown", L"bar:40", L"bar:80", L"bar-hidden", L"no-internet"}},
    };
    for (const auto& c : cases) {
        std::atomic<bool> busy{false};
        CFakeJobWindow window;
        CFakeJobSystem system;
        system.answered = c.answered;
        system.answer = c.answer;
        system.downloadOk = c.downloadOk;
        system.found = L"C:\\Work\\Setup.exe";  // a stale one must not be started
        InstallBluetoothDriver(window, system, busy);
        EXPECT_EQ(window.Events(), c.events) << c.name;
        EXPECT_TRUE(system.started.empty()) << c.name;
        EXPECT_TRUE(system.elevated.empty()) << c.name;
        EXPECT_FALSE(busy) << c.name;
    }
}

TEST(BluetoothInstall, ArchiverTroubleOrNoSetupEndsInTheStatusText) {
    const struct { const char* name; ProcessOutcome archiver; const wchar_t* found; bool searched; } cases[] = {
        {"archiver missing", {false, false, 0}, L"C:\\Work\\Setup.exe", false},
        {"fatal error", {true, true, 2}, L"C:\\Work\\Setup.exe", false},
        {"no setup inside", {true, true, 0}, L"", true},
    };
    for (const auto& c : cases) {
        std::atomic<bool> busy{false};
        CFakeJobWindow window;
        window.words = {{kBtInstallerMiss, L"No setup program."}};
        CFakeJobSystem system;
        system.outcome = c.archiver;
        system.found = c.found;
        InstallBluetoothDriver(window, system, busy);
        EXPECT_EQ(window.Events(), With(kGoodBar, L"status:No setup program.")) << c.name;
        EXPECT_TRUE(system.elevated.empty()) << c.name;
        EXPECT_EQ(system.searches.size(), c.searched ? 1u : 0u) << c.name;
    }
    // A warning (exit code 1) still goes on to the search.
    std::atomic<bool> busy{false};
    CFakeJobWindow window;
    CFakeJobSystem system;
    system.outcome = {true, true, 1};
    system.found = L"C:\\Work\\Setup.exe";
    InstallBluetoothDriver(window, system, busy);
    EXPECT_EQ(system.elevated, std::vector<std::wstring>{L"C:\\Work\\Setup.exe"});
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
    const struct { void (*run)(IJobWindow&, IJobSystem&); const char* resource; } cases[] = {
        {InstallReceiverApp, "/api/rx/QuilloRXApp"}, {InstallHotspotDriver, "/api/rx/TWHotspot"}};
    for (const auto& c : cases) {
        CFakeJobWindow window;
        CFakeJobSystem system;
        system.answer = R"({"status":1,"downloadURL":"https://h/files/rx.exe?v=2"})";
        system.existing[L"C:\\Work\\rx.exe"] = true;
        system.found = L"C:\\Work\\old\\rx.exe";  // listed first: must not win
        c.run(window, system);
        EXPECT_EQ(system.requests, std::vector<std::string>{ResourceUrl(c.resource)});
        EXPECT_EQ(system.downloads, std::vector<std::string>{"https://h/files/rx.exe?v=2"});
        EXPECT_EQ(system.elevated, std::vector<std::wstring>{L"C:\\Work\\rx.exe"});
        EXPECT_EQ(window.Events(), kGoodBar);
        EXPECT_TRUE(system.started.empty());
    }
    EXPECT_FALSE(g_receiverBusy);
    EXPECT_FALSE(g_hotspotBusy);
}

TEST(PackageInstall, MissingInstallerOrFailedDownload) {
    CFakeJobWindow window;
    window.words = {{kRxInstallerMiss, L"Installer missing."}};
    CFakeJobSystem system;  // the file is gone after the download
    InstallHotspotDriver(window, system);
    EXPECT_EQ(window.Events(), With(kGoodBar, L"status:Installer missing."));
    EXPECT_TRUE(system.elevated.empty());

    CFakeJobWindow failed;
    CFakeJobSystem broken;
    broken.downloadOk = false;
    InstallReceiverApp(failed, broken);
    EXPECT_EQ(failed.Events(), (Events{L"bar-shown", L"bar:40", L"bar:80", L"bar-hidden", L"no-internet"}));
}
