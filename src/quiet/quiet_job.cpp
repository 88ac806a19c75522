#include "quiet/quiet_job.h"

#include "install/busy_flag.h"
#include "install/download_install.h"
#include "install/wifi_install.h"

void CQuietJobWindow::ShowStatusText(const std::wstring& text) {
    m_log(L"status text: " + text);
    for (int key = 0; key < kTranslationKeyCount; ++key) {
        const std::wstring word = m_words(static_cast<TranslationKey>(key));
        if (!word.empty() && text.compare(0, word.size(), word) == 0) {
            m_shown = static_cast<TranslationKey>(key);
            return;
        }
    }
}

void CQuietJobWindow::ShowNoInternetHint() {
    m_log(L"message: " + m_words(kHintNoInternet));
    m_shown = kHintNoInternet;
}

namespace {

const wchar_t* const kFeatureNames[kFeatureCount] = {L"Wi-Fi driver", L"Bluetooth driver", L"hotspot driver",
                                                      L"receiver application"};

void RunWorkflow(Feature feature, IJobWindow& window, IJobSystem& system) {
    switch (feature) {
    case kWifi: InstallWifiDriver(window, system, g_wifiBusy); break;
    case kBluetooth: InstallBluetoothDriver(window, system, g_bluetoothBusy); break;
    case kHotspot: InstallHotspotDriver(window, system); break;
    case kReceiver: InstallReceiverApp(window, system); break;
    }
}

ExitCode OfInstaller(const ProcessOutcome& run) {
    if (run.declined) return kExitElevationDeclined;
    if (!run.started) return kExitInstallerMissing;
    if (run.timedOut || !run.exitCodeRead) return kExitInstallerFailed;
    return ExitCodeOfInstaller(run.exitCode);
}

// The Wi-Fi job shows nothing when its setup program fails: its run tells.
ExitCode JobExitCode(Feature feature, const CQuietJobWindow& window, const CQuietJobSystem& system) {
    if (feature == kWifi) return OfInstaller(system.LastRun());
    if (system.Elevated() && system.Elevated()->declined) return kExitElevationDeclined;
    if (window.Shown()) return ExitCodeOfStatus(*window.Shown());
    return system.Elevated() ? OfInstaller(*system.Elevated()) : kExitInstallerFailed;
}

}  // namespace

ExitCode RunQuiet(const CommandLine& line, const bool (&offered)[kFeatureCount], IJobSystem& system,
                  const WordsFn& words, const LogFn& log) {
    const bool someChosen = line.chosen[kWifi] || line.chosen[kBluetooth] || line.chosen[kHotspot] ||
                            line.chosen[kReceiver];
    // The window's order and rules: Bluetooth and the receiver from Windows 7 on.
    const bool windows7 = system.QueryOsClass() >= 6;
    const Feature order[] = {kWifi, kBluetooth, kReceiver, kHotspot};
    std::vector<ExitCode> codes;
    for (Feature feature : order) {
        if (!offered[feature] || (someChosen && !line.chosen[feature])) continue;
        if ((feature == kBluetooth || feature == kReceiver) && !windows7) {
            log(std::wstring(L"skipped the ") + kFeatureNames[feature] + L": it needs Windows 7 or later");
            continue;
        }
        log(std::wstring(L"installing the ") + kFeatureNames[feature]);
        CQuietJobWindow window(words, offered[kBluetooth] && windows7, log);
        CQuietJobSystem quiet(system);
        RunWorkflow(feature, window, quiet);
        codes.push_back(JobExitCode(feature, window, quiet));
        log(std::wstring(L"the ") + kFeatureNames[feature] + L" job ended with code " +
            std::to_wstring(codes.back()));
    }
    return CombineExitCodes(codes);
}
