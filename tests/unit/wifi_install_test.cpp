#include <gtest/gtest.h>

#include "fake_job.h"
#include "install/job_runner.h"
#include "install/telling.h"

namespace {
const Job& Wifi() { return JobOf(JobId::Wifi); }
}  // namespace

TEST(WifiInstall, RunsAVerifiedCopyInAFolderOfItsOwnAndWaits) {
    const CVendorSettings settings;
    CFakeJobWindow window;
    CFakeJobSystem system;
    EXPECT_TRUE(RunJob(Wifi(), window, system));
    // Copied out of the folder anyone may write to, checked, and run from there.
    EXPECT_EQ(system.copies, Paths{L"C:\\App\\data\\WifiAutoInstallSetup.exe"});
    EXPECT_EQ(system.checks, Paths{L"signer:C:\\Work\\job-1\\WifiAutoInstallSetup.exe"});
    EXPECT_EQ(system.started, Paths{L"[console] C:\\Work\\job-1\\WifiAutoInstallSetup.exe"});
    EXPECT_EQ(system.timeouts, std::vector<unsigned long>{0});
    EXPECT_EQ(system.removed, 1);  // it ended: nothing of it stays
    EXPECT_EQ(window.Told(), Outcome::Done);
    EXPECT_EQ(system.slept, kJobStartPauseMs);
    EXPECT_FALSE(BusyFlag(JobId::Wifi));
}

TEST(WifiInstall, OutcomesOfTheSetupProgram) {
    const CVendorSettings settings;
    const struct { const char* name; ProcessRun run; bool missing; const wchar_t* signer; Outcome told;
                   bool ran; } cases[] = {
        {"done", ProcessRun::Exited(0), false, L"Vendor", Outcome::Done, true},
        {"fails", ProcessRun::Exited(1), false, L"Vendor", Outcome::InstallerFailed, true},
        {"crashes", ProcessRun::Exited(0xC0000005), false, L"Vendor", Outcome::InstallerFailed, true},
        {"exit code unread", ProcessRun::CodeUnread(), false, L"Vendor", Outcome::InstallerFailed, true},
        {"asks for a restart", ProcessRun::Exited(3010), false, L"Vendor", Outcome::RestartNeeded, true},
        {"does not start", {false, false, 0}, false, L"Vendor", Outcome::InstallerMissing, true},
        {"missing", ProcessRun::Exited(0), true, L"Vendor", Outcome::InstallerMissing, false},
        // Replaced by a program the vendor did not sign: never run.
        {"signed by someone else", ProcessRun::Exited(0), false, L"Someone", Outcome::BundledProgramRefused, false},
    };
    for (const auto& c : cases) {
        CFakeJobWindow window;
        CFakeJobSystem system;
        system.outcome = c.run;
        system.unholdable[L"WifiAutoInstallSetup.exe"] = c.missing;
        system.facts.signer = c.signer;
        RunJob(Wifi(), window, system);
        EXPECT_EQ(window.Told(), c.told) << c.name;
        EXPECT_EQ(system.started.size(), c.ran ? 1u : 0u) << c.name;
        EXPECT_EQ(system.removed, 1) << c.name;
        EXPECT_FALSE(BusyFlag(JobId::Wifi)) << c.name;  // the command works again at once
    }
    // A setup that ended well is taken at its word only where the adapter
    // shows the driver; the device is not looked at after one that failed.
    g_settings.deviceIds[JobIndex(JobId::Wifi)] = {L"USB\\VID_F7A3&PID_7300&MI_00"};
    const struct { const char* name; ProcessRun run; DeviceState after; Outcome told; std::size_t looks; } devices[] = {
        {"driver there", ProcessRun::Exited(0), DeviceState::Installed, Outcome::Done, 1},
        {"not plugged in", ProcessRun::Exited(0), DeviceState::NotPluggedIn, Outcome::AdapterMissing, 1},
        {"no driver", ProcessRun::Exited(0), DeviceState::NoDriver, Outcome::DriverNotInUse, 1},
        {"a problem", ProcessRun::Exited(0), DeviceState::Problem, Outcome::DriverNotInUse, 1},
        {"restart, no driver yet", ProcessRun::Exited(3010), DeviceState::NoDriver, Outcome::DriverAfterRestart, 1},
        {"restart, driver there", ProcessRun::Exited(3010), DeviceState::Installed, Outcome::RestartNeeded, 1},
        {"SetupAPI silent", ProcessRun::Exited(0), DeviceState::Unknown, Outcome::Done, 1},
        {"setup failed", ProcessRun::Exited(1), DeviceState::NoDriver, Outcome::InstallerFailed, 0},
    };
    for (const auto& c : devices) {
        CFakeJobWindow window;
        CFakeJobSystem system;
        system.outcome = c.run;
        system.devicesAfter = {DeviceLook(c.after, L"2.0", {}, {}, c.after == DeviceState::Problem ? 28 : 0)};
        RunJob(Wifi(), window, system);
        EXPECT_EQ(window.Told(), c.told) << c.name;
        EXPECT_EQ(system.looks.size(), c.looks) << c.name;
    }
    g_settings.deviceIds[JobIndex(JobId::Wifi)].clear();
    // Without a signer a build starts it only when it was made to allow that.
    for (bool allowed : {false, true}) {
        CSettingsOverride unsigned_;
        g_settings.packageSigner.clear();
        g_settings.unsignedPackagesAllowed = allowed;
        CFakeJobWindow window;
        CFakeJobSystem system;
        RunJob(Wifi(), window, system);
        EXPECT_EQ(window.Told(), allowed ? Outcome::Done : Outcome::BundledProgramRefused) << allowed;
        EXPECT_TRUE(system.checks.empty());
    }
}

// Unattended the setup program gets its silent switches and a time limit;
// the window starts it as it is and waits as long as it runs.
TEST(WifiInstall, UnattendedItIsSilentAndLimited) {
    CVendorSettings settings;
    g_settings.silentArguments[JobIndex(JobId::Wifi)] = L"/quiet";
    g_settings.installerTimeoutMs = 1234;
    for (bool unattended : {false, true}) {
        g_settings.run.unattended = unattended;
        CFakeJobWindow window;
        CFakeJobSystem system;
        RunJob(Wifi(), window, system);
        EXPECT_EQ(system.started, Paths{unattended ? L"[console] C:\\Work\\job-1\\WifiAutoInstallSetup.exe /quiet"
                                                   : L"[console] C:\\Work\\job-1\\WifiAutoInstallSetup.exe"});
        EXPECT_EQ(system.timeouts, std::vector<unsigned long>{unattended ? 1234ul : 0ul});
    }
}

TEST(WifiInstall, ABusyJobIsLeftAlone) {
    BusyFlag(JobId::Wifi) = true;
    CFakeJobWindow window;
    CFakeJobSystem system;
    EXPECT_FALSE(RunJob(Wifi(), window, system));
    EXPECT_TRUE(system.started.empty());
    EXPECT_TRUE(window.told.empty());
    EXPECT_TRUE(BusyFlag(JobId::Wifi));  // still the running job's
    BusyFlag(JobId::Wifi) = false;
}
