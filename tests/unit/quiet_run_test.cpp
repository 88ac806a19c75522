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
    const ProcessRun ok = ProcessRun::Exited(0), restart = ProcessRun::Exited(3010), restarted = ProcessRun::Exited(1641),
        failed = ProcessRun::Exited(1), notStarted = ProcessRun::NotStarted(0), hung = ProcessRun::TimedOut(), busy = ProcessRun::Exited(1618);
    const struct { const char* name; Args args; ProcessRun wifi; bool answered; const wchar_t* found;
                   ProcessRun setup; WindowsVersion windows; ExitCode code; std::size_t installers; } cases[] = {
        {"all done", {L"/quiet"}, ok, true, L"package\\S.exe", ok, WindowsVersion::Win10, kExitDone, 1},
        {"setup asks for a restart", {L"/quiet"}, ok, true, L"package\\S.exe", restart, WindowsVersion::Win10,
         kExitRestartNeeded, 1},
        {"setup restarts Windows", {L"/quiet"}, ok, true, L"package\\S.exe", restarted, WindowsVersion::Win10,
         kExitRestartStarted, 1},
        // Windows is shutting down: nothing more may start.
        {"Wi-Fi setup restarts Windows, Bluetooth never starts", {L"/quiet"}, restarted, true, L"package\\S.exe", ok,
         WindowsVersion::Win10, kExitRestartStarted, 0},
        {"another installation in progress", {L"/quiet", L"/bluetooth"}, ok, true, L"package\\S.exe", busy,
         WindowsVersion::Win10, kExitInstallInProgress, 1},
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
    // Ctrl+C while the Wi-Fi setup runs: the run ends with 1602 and nothing more starts.
    CFakeJobSystem system;
    system.cancelled = true;
    system.outcome = ProcessRun::Cancelled(true);
    std::vector<std::wstring> log;
    EXPECT_EQ(RunQuiet(ParseCommandLine({L"/quiet"}), system, [](TranslationKey) { return std::wstring(); },
                       [&log](const std::wstring& line) { log.push_back(line); }),
              kExitCancelled);
    EXPECT_TRUE(system.requests.empty());
    EXPECT_EQ(log.back(), L"cancelled: no further job is started");
}
