#include "install/download_install.h"

#include "install/busy_flag.h"
#include "net/device_service.h"

namespace {

constexpr unsigned kFullBarPauseMs = 1000;

// Asks the service and downloads its package into the work folder, with the
// bar shown meanwhile. Empty when anything before the package is whole failed.
std::wstring FetchPackage(IJobWindow& window, IJobSystem& system, const std::string& requestUrl,
                          ProgressBar bar) {
    system.Trace(requestUrl);
    std::string body, downloadUrl;
    if (!system.HttpGetJson(requestUrl, body) || !ReadServiceAnswer(body, downloadUrl)) return L"";
    system.Trace(downloadUrl);
    const std::string name = PackageFileName(downloadUrl);
    if (name.empty()) return L"";  // nothing may be written outside the work folder
    const std::wstring localPath = system.WorkFolder(system.ToWide(name));

    window.ShowProgress(bar, true);
    if (!system.DownloadFile(downloadUrl, localPath, [&](int percent) { window.SetProgress(bar, percent); })) {
        window.ShowProgress(bar, false);
        return L"";
    }
    window.SetProgress(bar, 100);
    system.Sleep(kFullBarPauseMs);
    window.ShowProgress(bar, false);
    system.Trace(localPath);
    return localPath;
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// Unpacks the archive into the work folder; false when the archiver could not
// run or reported a fatal error (7-Zip: exit code 2 and up).
bool Unpack(IJobSystem& system, const std::wstring& archive) {
    const std::wstring archiver = system.AppPath(L"data\\7za.exe");
    const std::wstring arguments = L"x " + Quoted(archive) + L" -o" + Quoted(system.WorkFolder(L"")) + L" -y";
    system.Trace(Quoted(archiver) + L" " + arguments);
    const ProcessOutcome outcome = system.RunAndWait(archiver, arguments);
    return outcome.started && !(outcome.exitCodeRead && outcome.exitCode >= 2);
}

}  // namespace

void InstallBluetoothDriver(IJobWindow& window, IJobSystem& system, std::atomic<bool>& busy) {
    system.Sleep(kJobStartPauseMs);
    CBusyClaim claim(busy);
    if (!claim.Owned()) return;

    const std::wstring archive =
        FetchPackage(window, system, BluetoothRequestUrl(system.QueryOsClass()), ProgressBar::Bluetooth);
    if (archive.empty()) {
        window.ShowNoInternetHint();
        return;
    }
    if (!Unpack(system, archive)) {
        window.ShowStatusText(window.Word(kBtInstallerMiss));
        return;
    }
    const std::wstring setup = system.FindFile(system.WorkFolder(L"*.*"), L"Setup.exe", true);
    if (setup.empty()) window.ShowStatusText(window.Word(kBtInstallerMiss));
    else system.StartElevated(setup);
}

void InstallPackage(IJobWindow& window, IJobSystem& system, const PackageJob& job) {
    system.Sleep(kJobStartPauseMs);
    CBusyClaim claim(job.busy);
    if (!claim.Owned()) return;

    const std::wstring installer = FetchPackage(window, system, ResourceUrl(job.resource), job.bar);
    if (installer.empty()) {
        window.ShowNoInternetHint();
        return;
    }
    // Start what was just downloaded, not a file of the same name elsewhere.
    if (system.FileExists(installer)) system.StartElevated(installer);
    else window.ShowStatusText(window.Word(kRxInstallerMiss));
}

void InstallReceiverApp(IJobWindow& window, IJobSystem& system) {
    InstallPackage(window, system, {g_receiverBusy, kReceiverResource, ProgressBar::Receiver});
}

void InstallHotspotDriver(IJobWindow& window, IJobSystem& system) {
    InstallPackage(window, system, {g_hotspotBusy, kHotspotResource, ProgressBar::Hotspot});
}
