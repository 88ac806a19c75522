#include "install/telling.h"

Telling TellingOf(const Feature& feature, const JobOutcome& outcome, bool bluetoothShown) {
    Telling telling;
    const auto say = [&telling](TranslationKey key) { telling.status.push_back(key); };
    switch (outcome.kind) {
    case Outcome::Done:
        if (feature.job == Job::Wifi) {
            say(kWifiInstalled);
            if (bluetoothShown) say(kHintDlBt);
        }
        break;
    case Outcome::NoConnection: telling.message = true; break;
    case Outcome::NoPackageForWindows: say(kNoPackageForOs); break;
    case Outcome::SecureChannelFailed: say(kTlsFailed); break;
    case Outcome::ServiceFailed: say(kServiceFailed); break;
    case Outcome::NotSaved: say(kDlNotSaved); break;
    case Outcome::PackageRefused: say(kPkgNotTrusted); break;
    case Outcome::BundledProgramRefused: say(feature.installerMissing); break;
    case Outcome::ArchiverFailed: say(kBtUnpackFailed); break;
    case Outcome::InstallerMissing:
        // A click without the Wi-Fi setup beside the program changes nothing on screen.
        if (feature.job != Job::Wifi) say(feature.installerMissing);
        break;
    case Outcome::RestartNeeded:  // only an installer waited for says so: it has shown itself
    case Outcome::InstallerFailed:
    case Outcome::InstallerTimedOut:
        break;
    }
    return telling;
}

std::wstring StatusText(const Telling& telling, const std::function<std::wstring(TranslationKey)>& word) {
    std::wstring text;
    for (TranslationKey key : telling.status) text += (text.empty() ? L"" : L" ") + word(key);
    return text;
}
