#include <gtest/gtest.h>

#include <algorithm>

#include "install/job_outcome.h"
#include "install/telling.h"
#include "quiet/exit_code.h"

// Every outcome, once: its exit code, and what the window shows for it for
// each kind of job (the message only for the connection, a text of its own
// for every other failure, nothing where the user sees the program itself).
TEST(JobOutcome, EachOutcomeItsExitCodeAndWhatTheWindowShows) {
    using Keys = std::vector<TranslationKey>;
    const Job& wifi = JobOf(JobId::Wifi);
    const Job& bluetooth = JobOf(JobId::Bluetooth);
    const Job& receiver = JobOf(JobId::Receiver);
    const struct { const Job& job; Outcome outcome; ExitCode code; bool bluetoothOffered; bool message;
                   Keys status; } cases[] = {
        {wifi, Outcome::Done, kExitDone, true, false, {kWifiInstalled, kHintDlBt}},
        {wifi, Outcome::Done, kExitDone, false, false, {kWifiInstalled}},
        {wifi, Outcome::InstallerFailed, kExitInstallerFailed, true, false, {}},
        {wifi, Outcome::RestartNeeded, kExitRestartNeeded, true, false, {}},
        {wifi, Outcome::RestartStarted, kExitRestartStarted, true, false, {}},
        {bluetooth, Outcome::InstallInProgress, kExitInstallInProgress, true, false, {}},
        {bluetooth, Outcome::Cancelled, kExitCancelled, true, false, {kInstallCancelled}},
        {wifi, Outcome::InstallerMissing, kExitInstallerMissing, true, false, {}},
        {wifi, Outcome::BundledProgramRefused, kExitPackageRefused, true, false, {kWifiInstallerMiss}},
        {wifi, Outcome::InstallerTimedOut, kExitInstallerTimedOut, true, false, {}},
        {bluetooth, Outcome::Done, kExitDone, true, false, {}},
        {bluetooth, Outcome::NoConnection, kExitNoConnection, true, true, {}},
        {bluetooth, Outcome::ServiceFailed, kExitServiceFailed, true, false, {kServiceFailed}},
        {bluetooth, Outcome::NoPackageForWindows, kExitInstallerMissing, true, false, {kNoPackageForOs}},
        {bluetooth, Outcome::SecureConnectionFailed, kExitNoConnection, true, false, {kSecureConnectionFailed}},
        {bluetooth, Outcome::NotSaved, kExitNotSaved, true, false, {kDlNotSaved}},
        {bluetooth, Outcome::PackageRefused, kExitPackageRefused, true, false, {kPkgNotTrusted}},
        {bluetooth, Outcome::BundledProgramRefused, kExitPackageRefused, true, false, {kBtInstallerMiss}},
        {bluetooth, Outcome::ArchiverFailed, kExitNotUnpacked, true, false, {kBtUnpackFailed}},
        {bluetooth, Outcome::InstallerMissing, kExitInstallerMissing, true, false, {kBtInstallerMiss}},
        {receiver, Outcome::InstallerMissing, kExitInstallerMissing, true, false, {kRxInstallerMiss}},
        {JobOf(JobId::Hotspot), Outcome::InstallerMissing, kExitInstallerMissing, true, false, {kRxInstallerMiss}},
    };
    for (const auto& c : cases) {
        const Telling telling = TellingOf(c.job, {c.outcome, 0, ""}, c.bluetoothOffered);
        EXPECT_EQ(telling.message, c.message) << c.job.name << " " << OutcomeName(c.outcome);
        EXPECT_EQ(telling.status, c.status) << c.job.name << " " << OutcomeName(c.outcome);
        EXPECT_EQ(ExitCodeOf({c.outcome, 0, ""}), c.code) << OutcomeName(c.outcome);
    }
    // The table has a row for each outcome, at its place, and every code it gives is explained.
    for (int i = 0; i < kOutcomeCount; ++i) {
        EXPECT_EQ(static_cast<int>(kOutcomes[i].kind), i);
        EXPECT_TRUE(std::any_of(kExitCodes.begin(), kExitCodes.end(),
                                [&](const ExitCodeRow& row) { return row.code == kOutcomes[i].exitCode; }))
            << kOutcomes[i].name;
    }
    const auto word = [](TranslationKey key) { return std::wstring(kTranslationKeys[key]); };
    EXPECT_EQ(StatusText(TellingOf(wifi, {}, true), word), L"WIFI_INSTALLED HINT_DL_BT");
    const auto chinese = [](TranslationKey key) { return key == kWifiInstalled ? std::wstring(L"已安裝完成。") : std::wstring(L"請接著按。"); };
    EXPECT_EQ(StatusText(TellingOf(wifi, {}, true), chinese), L"已安裝完成。請接著按。");
    // The run's code: the first failure's, else a restart, else done.
    EXPECT_EQ(CombineExitCodes({kExitDone, kExitRestartNeeded, kExitDone}), kExitRestartNeeded);
    EXPECT_EQ(CombineExitCodes({kExitRestartNeeded, kExitNotSaved, kExitNoConnection}), kExitNotSaved);
    EXPECT_EQ(CombineExitCodes({}), kExitDone);
    EXPECT_EQ(CombineExitCodes({kExitInstallerFailed, kExitRestartStarted}), kExitRestartStarted);
    EXPECT_EQ(CombineExitCodes({kExitInstallerFailed, kExitCancelled}), kExitCancelled);
}
