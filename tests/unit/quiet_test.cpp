#include <gtest/gtest.h>

#include "fake_job.h"
#include "install/download_install.h"
#include "log/run_log.h"
#include "quiet/command_line.h"
#include "quiet/quiet_job.h"

using Args = std::vector<std::wstring>;

TEST(CommandLine, SwitchesAndTheirErrors) {
    const struct { Args args; bool quiet, help; int chosen; const wchar_t* language; const wchar_t* log; bool error; } cases[] = {
        {{}, false, false, 0, L"", L"", false},
        {{L"/quiet"}, true, false, 0, L"", L"", false},
        {{L"-QUIET", L"/Wifi", L"-bluetooth"}, true, false, 0b0011, L"", L"", false},
        {{L"/quiet", L"/receiver", L"/BLUETOOTH"}, true, false, 0b1010, L"", L"", false},
        {{L"/lang", L"JPN", L"/log", L"C:\\logs\\a b.log"}, false, false, 0, L"jpn", L"C:\\logs\\a b.log", false},
        {{L"-?"}, false, true, 0, L"", L"", false},
        {{L"/wifi"}, false, false, 0b0001, L"", L"", true},  // choosing needs /quiet
        {{L"/quiet", L"/bogus"}, true, false, 0, L"", L"", true},
        {{L"/quiet", L"/lang", L"xx"}, true, false, 0, L"", L"", true},
        {{L"/lang"}, false, false, 0, L"", L"", true},
        {{L"/log", L"/quiet"}, true, false, 0, L"", L"", true},  // a switch is no file name
        {{L"quiet"}, false, false, 0, L"", L"", true},
        {{L"/"}, false, false, 0, L"", L"", true},
        {{L"/quiet", L"/hotspot"}, true, false, 0b0100, L"", L"", true},  // not in this build
    };
    const bool offered[kFeatureCount] = {true, true, false, true};
    for (const auto& c : cases) {
        CommandLine line = ParseCommandLine(c.args);
        RejectUnoffered(line, offered);
        const std::string row = c.args.empty() ? "(none)" : std::string(c.args[0].begin(), c.args[0].end());
        EXPECT_EQ(line.quiet, c.quiet) << row;
        EXPECT_EQ(line.help, c.help) << row;
        for (int f = 0; f < kFeatureCount; ++f) EXPECT_EQ(line.chosen[f], ((c.chosen >> f) & 1) != 0) << row << f;
        EXPECT_EQ(line.language, c.language) << row;
        EXPECT_EQ(line.logFile, c.log) << row;
        EXPECT_EQ(!line.error.empty(), c.error) << row;
    }
}

// Each job's outcome as the exit code a deployment tool sees.
TEST(QuietRun, ExitCodesSayWhatHappened) {
    const ProcessOutcome ok{true, true, 0}, restart{true, true, 3010}, restarted{true, true, 1641},
        failed{true, true, 1}, notStarted{}, declined{false, false, 0, false, true}, hung{true, false, 0, true};
    const struct { const char* name; Args args; ProcessOutcome wifi; bool answered; const wchar_t* found;
                   ProcessOutcome setup; OsVersionClass os; ExitCode code; std::size_t elevated; } cases[] = {
        {"all done", {L"/quiet"}, ok, true, L"C:\\S.exe", ok, 9, kExitDone, 1},
        {"setup asks for a restart", {L"/quiet"}, ok, true, L"C:\\S.exe", restart, 9, kExitRestartNeeded, 1},
        {"setup restarts itself", {L"/quiet"}, ok, true, L"C:\\S.exe", restarted, 9, kExitRestartNeeded, 1},
        {"Wi-Fi setup asks for a restart", {L"/quiet", L"/wifi"}, restart, true, L"", ok, 9, kExitRestartNeeded, 0},
        {"Wi-Fi setup fails, Bluetooth still runs", {L"/quiet"}, failed, true, L"C:\\S.exe", ok, 9,
         kExitInstallerFailed, 1},
        {"Wi-Fi setup missing", {L"/quiet", L"/wifi"}, notStarted, true, L"", ok, 9, kExitInstallerMissing, 0},
        {"Wi-Fi setup hangs", {L"/quiet", L"/wifi"}, hung, true, L"", ok, 9, kExitInstallerFailed, 0},
        {"no connection", {L"/quiet", L"/bluetooth"}, ok, false, L"C:\\S.exe", ok, 9, kExitNoConnection, 0},
        {"no setup in the package", {L"/quiet", L"/bluetooth"}, ok, true, L"", ok, 9, kExitInstallerMissing, 0},
        {"setup fails", {L"/quiet", L"/bluetooth"}, ok, true, L"C:\\S.exe", failed, 9, kExitInstallerFailed, 1},
        {"elevation declined", {L"/quiet", L"/bluetooth"}, ok, true, L"C:\\S.exe", declined, 9,
         kExitElevationDeclined, 1},
        {"Bluetooth below Windows 7 is skipped", {L"/quiet", L"/bluetooth"}, ok, true, L"C:\\S.exe", ok, 5,
         kExitDone, 0},
    };
    g_packageSigner = L"Vendor";
    const bool offered[kFeatureCount] = {true, true, false, false};
    for (const auto& c : cases) {
        CFakeJobSystem system;
        system.outcome = c.wifi;  // the archiver's run too: 0 and 1 unpack, the rest fails
        system.answered = c.answered;
        system.found = c.found;
        system.osClass = c.os;
        system.elevatedOutcome = c.setup;
        std::vector<std::wstring> log;
        const ExitCode code = RunQuiet(ParseCommandLine(c.args), offered, system,
                                       [](TranslationKey key) { return std::wstring(kTranslationKeys[key]); },
                                       [&log](const std::wstring& line) { log.push_back(line); });
        EXPECT_EQ(code, c.code) << c.name;
        EXPECT_EQ(system.elevated.size(), c.elevated) << c.name;
        EXPECT_FALSE(log.empty()) << c.name;
    }
}

TEST(RunLog, NamesLinesAndWhichOldLogsGo) {
    const LogTime t{2026, 12, 9, 3, 5, 7, 42};
    EXPECT_EQ(DefaultLogName(t), L"Installer_20261209_030507.log");
    EXPECT_EQ(FormatLogLine(t, "GET https://x: HTTP 200\r\n"), "2026-12-09 03:05:07.042 GET https://x: HTTP 200\r\n");
    EXPECT_EQ(FormatLogLine(t, "two\nlines"), "2026-12-09 03:05:07.042 two lines\r\n");

    std::vector<std::wstring> names;
    for (int i = 12; i >= 1; --i) names.push_back(L"Installer_202612" + std::to_wstring(10 + i) + L"_120000.log");
    names.push_back(L"Installer_notes.log");  // not one of ours: kept
    names.push_back(L"other.txt");
    EXPECT_EQ(LogsToRemove(names, 10),
              (std::vector<std::wstring>{L"Installer_20261211_120000.log", L"Installer_20261212_120000.log"}));
    names.resize(3);
    EXPECT_TRUE(LogsToRemove(names, 10).empty());
}
