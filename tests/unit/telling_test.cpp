#include <gtest/gtest.h>

#include "install/telling.h"

// What the user reads for each outcome: the message only for the connection,
// a text of its own for every other failure.
TEST(Telling, EachOutcomeItsTextOrTheMessage) {
    using Keys = std::vector<TranslationKey>;
    const Feature& wifi = FeatureOf(Job::Wifi);
    const Feature& bluetooth = FeatureOf(Job::Bluetooth);
    const Feature& receiver = FeatureOf(Job::Receiver);
    const struct { const Feature& feature; Outcome outcome; bool bluetoothShown; bool message; Keys status; } cases[] = {
        {wifi, Outcome::Done, true, false, {kWifiInstalled, kHintDlBt}},
        {wifi, Outcome::Done, false, false, {kWifiInstalled}},
        {wifi, Outcome::InstallerFailed, true, false, {}},
        {wifi, Outcome::RestartNeeded, true, false, {}},
        {wifi, Outcome::InstallerMissing, true, false, {}},
        {wifi, Outcome::BundledProgramRefused, true, false, {kWifiInstallerMiss}},
        {bluetooth, Outcome::Done, true, false, {}},
        {bluetooth, Outcome::NoConnection, true, true, {}},
        {bluetooth, Outcome::ServiceFailed, true, false, {kServiceFailed}},
        {bluetooth, Outcome::NoPackageForWindows, true, false, {kNoPackageForOs}},
        {bluetooth, Outcome::SecureChannelFailed, true, false, {kTlsFailed}},
        {bluetooth, Outcome::NotSaved, true, false, {kDlNotSaved}},
        {bluetooth, Outcome::PackageRefused, true, false, {kPkgNotTrusted}},
        {bluetooth, Outcome::BundledProgramRefused, true, false, {kBtInstallerMiss}},
        {bluetooth, Outcome::ArchiverFailed, true, false, {kBtUnpackFailed}},
        {bluetooth, Outcome::InstallerMissing, true, false, {kBtInstallerMiss}},
        {receiver, Outcome::InstallerMissing, true, false, {kRxInstallerMiss}},
        {FeatureOf(Job::Hotspot), Outcome::InstallerMissing, true, false, {kRxInstallerMiss}},
    };
    for (const auto& c : cases) {
        const Telling telling = TellingOf(c.feature, {c.outcome, 0, ""}, c.bluetoothShown);
        EXPECT_EQ(telling.message, c.message) << c.feature.name << " " << OutcomeName(c.outcome);
        EXPECT_EQ(telling.status, c.status) << c.feature.name << " " << OutcomeName(c.outcome);
    }
    const auto word = [](TranslationKey key) { return std::wstring(kTranslationKeys[key]); };
    EXPECT_EQ(StatusText(TellingOf(wifi, {}, true), word), L"WIFI_INSTALLED HINT_DL_BT");
}
