#include "install/download_install.h"

#include "build_settings.h"
#include "i18n/utf8.h"
#include "install/busy_flag.h"
#include "net/device_service.h"

std::wstring g_packageSigner = Utf8ToWide(build::kPackageSigner);
unsigned long g_archiverTimeoutMs = 10 * 60 * 1000;

namespace {

constexpr unsigned kFullBarPauseMs = 1000;

// How getting a package ended; all but Whole are told to the user.
enum class Fetched { Whole, NoConnection, NoPackage, SecureFailed, NotSaved, Refused };

Fetched FetchedOf(NetResult result) {
    switch (result) {
    case NetResult::Ok: return Fetched::Whole;
    case NetResult::NotFound: return Fetched::NoPackage;
    case NetResult::SecureChannelFailed: return Fetched::SecureFailed;
    case NetResult::NotSaved: return Fetched::NotSaved;
    case NetResult::Refused: return Fetched::Refused;
    default: return Fetched::NoConnection;
    }
}

// The message dialog only for the user's connection; a text of its own for the rest.
void TellWhy(IJobWindow& window, Fetched fetched) {
    switch (fetched) {
    case Fetched::Whole: break;
    case Fetched::NoConnection: window.ShowNoInternetHint(); break;
    case Fetched::NoPackage: window.ShowStatusText(window.Word(kNoPackageForOs)); break;
    case Fetched::SecureFailed: window.ShowStatusText(window.Word(kTlsFailed)); break;
    case Fetched::NotSaved: window.ShowStatusText(window.Word(kDlNotSaved)); break;
    case Fetched::Refused: window.ShowStatusText(window.Word(kPkgNotTrusted)); break;
    }
}

// A package downloaded into a new folder of the job's own.
struct Package {
    std::wstring folder, path;
    ServiceAnswer answer;
};

void Refuse(IJobWindow& window, IJobSystem& system, const std::string& reason) {
    system.Trace("package refused: " + reason);
    window.ShowStatusText(window.Word(kPkgNotTrusted));
}

Fetched AskService(IJobSystem& system, const std::string& requestUrl, ServiceAnswer& answer) {
    system.Trace(requestUrl);
    std::string body;
    const NetResult asked = system.HttpGetJson(requestUrl, body);
    if (asked != NetResult::Ok) return FetchedOf(asked);
    switch (ReadServiceAnswer(body, answer)) {
    case AnswerKind::Usable: return Fetched::Whole;
    case AnswerKind::NoPackage: return Fetched::NoPackage;
    default: return Fetched::NoConnection;
    }
}

// Asks the service and downloads its package, with the bar shown meanwhile.
Fetched FetchPackage(IJobWindow& window, IJobSystem& system, const std::string& requestUrl, ProgressBar bar,
                     bool installerOnly, Package& package) {
    const Fetched asked = AskService(system, requestUrl, package.answer);
    if (asked != Fetched::Whole) return asked;
    const std::string& url = package.answer.downloadUrl;
    system.Trace(url);
    const std::string name = PackageFileName(url);
    if (name.empty()) return Fetched::NoConnection;  // nothing may be written outside the job's folder
    const std::string refusal = PackageRefusal(package.answer, name, installerOnly);
    if (!refusal.empty()) {
        system.Trace("package refused: " + refusal);
        return Fetched::Refused;
    }
    package.folder = system.CreateJobFolder();
    if (package.folder.empty()) {
        system.Trace("no job folder could be made in the work folder");
        return Fetched::NotSaved;
    }
    package.path = package.folder + L"\\" + system.ToWide(name);

    window.ShowProgress(bar, true);
    const NetResult downloaded =
        system.DownloadFile(url, package.path, [&](int percent) { window.SetProgress(bar, percent); });
    if (downloaded != NetResult::Ok) {
        window.ShowProgress(bar, false);
        system.RemoveFolder(package.folder);
        return FetchedOf(downloaded);
    }
    window.SetProgress(bar, 100);
    system.Sleep(kFullBarPauseMs);
    window.ShowProgress(bar, false);
    system.Trace(package.path);
    return Fetched::Whole;
}

// False (and the refusal shown) when the service named a hash the file does not have.
bool HashMatches(IJobWindow& window, IJobSystem& system, IHeldFile& file, const ServiceAnswer& answer) {
    std::string reason;
    if (!answer.hasSha256 || file.HasSha256(answer.sha256, reason)) return true;
    Refuse(window, system, reason);
    return false;
}

// Starts the held installer elevated if it is the vendor's; what went wrong
// goes to the status line. True when it started.
bool StartIfSigned(IJobWindow& window, IJobSystem& system, IHeldFile& installer, TranslationKey missing) {
    std::string reason;
    if (!g_packageSigner.empty() && !installer.SignedBy(g_packageSigner, reason)) {
        Refuse(window, system, reason);
        return false;
    }
    if (system.StartElevated(installer)) return true;
    system.Trace(L"could not start " + installer.Path());
    window.ShowStatusText(window.Word(missing));
    return false;
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// Unpacks the archive into its folder; false when the archiver could not
// run, ran too long or reported a fatal error (7-Zip: exit code 2 and up).
// The dummy password makes an encrypted archive fail instead of asking.
bool Unpack(IJobSystem& system, const Package& package) {
    const std::wstring archiver = system.AppPath(L"data\\7za.exe");
    const std::wstring arguments =
        L"x " + Quoted(package.path) + L" -o" + Quoted(package.folder) + L" -p- -y";
    system.Trace(Quoted(archiver) + L" " + arguments);
    const ProcessOutcome outcome = system.RunAndWait(archiver, arguments, g_archiverTimeoutMs);
    if (outcome.timedOut) system.Trace("the archiver ran too long and was ended");
    return outcome.started && !outcome.timedOut && !(outcome.exitCodeRead && outcome.exitCode >= 2);
}

// Checks, unpacks and starts the Bluetooth package; false when nothing started.
bool InstallArchive(IJobWindow& window, IJobSystem& system, const Package& package) {
    {
        const std::unique_ptr<IHeldFile> archive = system.HoldFile(package.path);
        if (!archive) {
            window.ShowStatusText(window.Word(kBtInstallerMiss));
            return false;
        }
        if (!HashMatches(window, system, *archive, package.answer)) return false;
        if (!Unpack(system, package)) {
            window.ShowStatusText(window.Word(kBtInstallerMiss));
            return false;
        }
    }
    const std::wstring setup = system.FindFile(package.folder + L"\\*.*", L"Setup.exe", true);
    const std::unique_ptr<IHeldFile> installer = setup.empty() ? nullptr : system.HoldFile(setup);
    if (!installer) {
        window.ShowStatusText(window.Word(kBtInstallerMiss));
        return false;
    }
    return StartIfSigned(window, system, *installer, kBtInstallerMiss);
}

// Checks and starts a downloaded installer; false when nothing started.
bool InstallInstaller(IJobWindow& window, IJobSystem& system, const Package& package) {
    // Start what was just downloaded, held from the checks to the start.
    const std::unique_ptr<IHeldFile> installer = system.HoldFile(package.path);
    if (!installer) {
        window.ShowStatusText(window.Word(kRxInstallerMiss));
        return false;
    }
    return HashMatches(window, system, *installer, package.answer) &&
           StartIfSigned(window, system, *installer, kRxInstallerMiss);
}

using Installer = bool (*)(IJobWindow&, IJobSystem&, const Package&);

void RunDownloadJob(IJobWindow& window, IJobSystem& system, std::atomic<bool>& busy,
                    const std::function<std::string()>& requestUrl, ProgressBar bar, bool installerOnly,
                    Installer install) {
    const CBusyClaim claim = ClaimAfterStartPause(system, busy);
    if (!claim.Owned()) return;

    Package package;
    const Fetched fetched = FetchPackage(window, system, requestUrl(), bar, installerOnly, package);
    if (fetched != Fetched::Whole) {
        TellWhy(window, fetched);
        return;
    }
    // A started installer runs from its folder; anything else is not kept.
    if (!install(window, system, package)) system.RemoveFolder(package.folder);
}

}  // namespace

void InstallBluetoothDriver(IJobWindow& window, IJobSystem& system, std::atomic<bool>& busy) {
    RunDownloadJob(
        window, system, busy, [&] { return BluetoothRequestUrl(system.QueryOsClass()); }, ProgressBar::Bluetooth,
        false, InstallArchive);
}

void InstallPackage(IJobWindow& window, IJobSystem& system, const PackageJob& job) {
    RunDownloadJob(
        window, system, job.busy, [&] { return ResourceUrl(job.resource); }, job.bar, true, InstallInstaller);
}

void InstallReceiverApp(IJobWindow& window, IJobSystem& system) {
    InstallPackage(window, system, {g_receiverBusy, kReceiverResource, ProgressBar::Receiver});
}

void InstallHotspotDriver(IJobWindow& window, IJobSystem& system) {
    InstallPackage(window, system, {g_hotspotBusy, kHotspotResource, ProgressBar::Hotspot});
}
