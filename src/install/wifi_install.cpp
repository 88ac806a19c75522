#include "install/wifi_install.h"

#include "install/busy_flag.h"

void InstallWifiDriver(IJobWindow& window, IJobSystem& system, std::atomic<bool>& busy) {
    const CBusyClaim claim = ClaimAfterStartPause(system, busy);
    if (!claim.Owned()) return;

    const ProcessOutcome outcome = system.RunAndWait(system.AppPath(L"data\\WifiAutoInstallSetup.exe"), L"", 0);
    // An exit code we could not read is no proof of success.
    if (!outcome.started || !outcome.exitCodeRead || outcome.exitCode != 0) return;

    std::wstring message = window.Word(kWifiInstalled);
    if (window.BluetoothShown()) message += L" " + window.Word(kHintDlBt);
    window.ShowStatusText(message);
}
