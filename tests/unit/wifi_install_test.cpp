#include <gtest/gtest.h>

#include "fake_job.h"
#include "install/wifi_install.h"

using Events = std::vector<std::wstring>;

TEST(WifiInstall, SuccessReportsWithTheBluetoothHintWhenThatCommandIsShown) {
    std::atomic<bool> busy{false};
    CFakeJobWindow window;
    window.words = {{kWifiInstalled, L"Wi-Fi done."}, {kHintDlBt, L"Now Bluetooth."}};
    CFakeJobSystem system;
    InstallWifiDriver(window, system, busy);
    EXPECT_EQ(system.started, std::vector<std::wstring>{L"C:\\App\\data\\WifiAutoInstallSetup.exe"});
    EXPECT_EQ(window.Events(), Events{L"status:Wi-Fi done. Now Bluetooth."});
    EXPECT_EQ(system.slept, 200u);
    EXPECT_FALSE(busy);

    CFakeJobWindow olderWindows;
    olderWindows.bluetoothShown = false;
    InstallWifiDriver(olderWindows, system, busy);
    EXPECT_EQ(olderWindows.Events(), Events{L"status:WIFI_INSTALLED"});
}

TEST(WifiInstall, MissingKeysShowAsKeys) {
    std::atomic<bool> busy{false};
    CFakeJobWindow window;
    CFakeJobSystem system;
    InstallWifiDriver(window, system, busy);
    EXPECT_EQ(window.Events(), Events{L"status:WIFI_INSTALLED HINT_DL_BT"});
}

TEST(WifiInstall, FailureOrUnknownOutcomeShowsNothing) {
    const ProcessOutcome outcomes[] = {{false, false, 0}, {true, true, 1}, {true, true, 0xC0000005},
                                       {true, false, 0}};
    for (const auto& outcome : outcomes) {
        std::atomic<bool> busy{false};
        CFakeJobWindow window;
        CFakeJobSystem system;
        system.outcome = outcome;
        InstallWifiDriver(window, system, busy);
        EXPECT_TRUE(window.Events().empty()) << outcome.exitCode;
        EXPECT_FALSE(busy);  // the command works again at once
    }
}

TEST(WifiInstall, ABusyJobIsLeftAlone) {
    std::atomic<bool> busy{true};
    CFakeJobWindow window;
    CFakeJobSystem system;
    InstallWifiDriver(window, system, busy);
    EXPECT_TRUE(system.started.empty());
    EXPECT_TRUE(window.Events().empty());
    EXPECT_TRUE(busy);  // still the running job's
}
