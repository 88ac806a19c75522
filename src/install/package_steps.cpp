#include "install/package_steps.h"

#include <algorithm>

#include "install/job_steps.h"
#include "install/installer_command.h"
#include "install/package_rules.h"
#include "install/unpacker.h"
#include "net/url.h"
#include "sys/log.h"
#include "sys/text_util.h"
#include "sys/utf8.h"

namespace {

constexpr unsigned kFullBarPauseMs = 1000;
// Where an archive is unpacked in its job folder: apart from the archive and
// the archiver, so that nothing unpacked can take their place.
constexpr wchar_t kUnpackFolder[] = L"package";

JobOutcome OutcomeOfNet(NetResult result, const std::string& what) {
    switch (result) {
    case NetResult::Ok: return JobOutcome{};
    case NetResult::NotFound: return Failed(Outcome::NoPackageForWindows, what + ": not found");
    case NetResult::SecureConnectionFailed: return Failed(Outcome::SecureConnectionFailed, what);
    case NetResult::ServiceFailed: return Failed(Outcome::ServiceFailed, what + ": the server failed");
    case NetResult::NotSaved: return Failed(Outcome::NotSaved, what);
    case NetResult::Refused: return Failed(Outcome::PackageRefused, what + ": refused by this program");
    case NetResult::Cancelled: return Failed(Outcome::Cancelled, what);
    case NetResult::NoConnection: break;
    }
    return Failed(Outcome::NoConnection, what);
}

// Unpacks the held archive into its folder's unpack folder with the copy
// of its unpacker that has the pinned hash.
JobOutcome Unpack(const Job& job, IJobWindow& window, IJobSystem& system, const Package& package) {
    const Unpacker* unpacker = UnpackerFor(package.name);
    if (!unpacker) return Failed(Outcome::ArchiverFailed, "no unpacker takes " + WideToUtf8(package.name));
    JobOutcome outcome;
    const std::unique_ptr<IHeldFile> program = VerifiedCopy(
        *package.folder, system, unpacker->delivered, unpacker->copyName,
        [unpacker](IHeldFile& file, std::string& reason) { return file.HasSha256(unpacker->Pin(), reason); },
        Outcome::ArchiverFailed, outcome);
    if (!program) return outcome;
    const std::wstring arguments =
        unpacker->Arguments(unpacker->FormatOf(package.name), JoinPath(package.folder->Path(), package.name),
                            JoinPath(package.folder->Path(), kUnpackFolder));
    window.Report({job.id, JobPhase::Unpacking, {}});
    // A console that flashes up and goes tells the user nothing.
    const ProcessRun run =
        system.RunAndWait(*program, arguments, unpacker->TimeLimitMs(), false, package.folder->TempPath());
    const std::string name = unpacker->name;
    if (run.cancelled) return Failed(Outcome::Cancelled, name + " was ended");
    if (!run.started) return Failed(Outcome::ArchiverFailed, name + " could not be started", run.error);
    if (run.timedOut) return Failed(Outcome::ArchiverFailed, name + " ran too long and was ended");
    // An exit code not read is no proof that anything was unpacked.
    if (!run.exitCodeRead) return Failed(Outcome::ArchiverFailed, name + "'s exit code could not be read");
    if (!unpacker->Unpacked(run.exitCode)) return Failed(Outcome::ArchiverFailed, name + " failed", run.exitCode);
    return JobOutcome{};
}

}  // namespace

std::string OsValueFor(const Job& job, IJobSystem& system) {
    return job.query ? ServiceOsValue(system.QueryWindows()) : std::string();
}

JobOutcome UnlessCancelled(IJobSystem& system, JobOutcome outcome) {
    if (outcome.kind != Outcome::Done && outcome.kind != Outcome::Cancelled && system.Cancelled())
        return Failed(Outcome::Cancelled, "after: " + Describe(outcome));
    return outcome;
}

JobOutcome AskService(const Job& job, IJobWindow& window, IJobSystem& system, const std::string& osValue,
                      ServiceAnswer& answer) {
    const std::string url = RequestUrl(job.resource, job.query, osValue);
    sys::Log(Utf8ToWide(url));
    window.Report({job.id, JobPhase::Asking, {}});
    std::string body;
    const NetResult asked = system.HttpGetJson(url, body);
    if (asked != NetResult::Ok) return OutcomeOfNet(asked, "asking " + url);
    switch (ReadServiceAnswer(body, answer)) {
    case AnswerKind::Usable: return JobOutcome{};
    case AnswerKind::NoPackage: return Failed(Outcome::NoPackageForWindows, "the service says it has none");
    case AnswerKind::Unusable: break;
    }
    return Failed(Outcome::ServiceFailed, "the service's answer is no usable answer");
}

JobOutcome DownloadPackage(const Job& job, IJobWindow& window, IJobSystem& system, Package& package) {
    const std::string& url = package.answer.downloadUrl;
    sys::Log(Utf8ToWide(url));
    const std::string name = PackageFileName(url);
    // Nothing may be written outside the job's folder.
    if (name.empty()) return Failed(Outcome::ServiceFailed, "the package address names no usable file: " + url);
    const std::string refusal = PackageRefusal(package.answer, name, job.package);
    if (!refusal.empty()) return Failed(Outcome::PackageRefused, refusal);
    package.folder = system.CreateJobFolder();
    if (!package.folder) return Failed(Outcome::NotSaved, "no job folder could be made in the work folder");
    package.name = Utf8ToWide(name);
    const std::wstring path = JoinPath(package.folder->Path(), package.name);

    window.Report({job.id, JobPhase::Downloading, {}});
    TransferProgress last;
    const NetResult downloaded = system.DownloadFile(url, path, [&](const TransferProgress& progress) {
        last = progress;
        window.Report({job.id, JobPhase::Downloading, progress});
    });
    if (downloaded != NetResult::Ok) return OutcomeOfNet(downloaded, "downloading " + url);
    last.done = last.total = std::max({last.done, last.total, 1ull});
    window.Report({job.id, JobPhase::Downloading, last});
    if (window.ShowsProgress()) system.Sleep(kFullBarPauseMs);  // the full bar, for a moment
    sys::Log(path);
    return JobOutcome{};
}

bool HashMatches(IHeldFile& file, const ServiceAnswer& answer, JobOutcome& outcome) {
    std::string reason;
    if (!answer.hasSha256 || file.HasSha256(answer.sha256, reason)) return true;
    outcome = Failed(Outcome::PackageRefused, reason);
    return false;
}

JobOutcome UnpackAndFindSetup(const Job& job, IJobWindow& window, IJobSystem& system, Package& package,
                              std::unique_ptr<IHeldFile>& setup) {
    IJobFolder& folder = *package.folder;
    {
        const std::unique_ptr<IHeldFile> archive = folder.Hold(package.name);
        if (!archive) return Failed(Outcome::InstallerMissing, "the package is gone");
        JobOutcome outcome;
        window.Report({job.id, JobPhase::Checking, {}});
        if (!HashMatches(*archive, package.answer, outcome)) return outcome;
        outcome = Unpack(job, window, system, package);
        if (outcome.kind != Outcome::Done) return outcome;
    }
    const std::string refusal = folder.UnpackedRefusal(kUnpackFolder);
    if (!refusal.empty()) return Failed(Outcome::PackageRefused, refusal);
    const std::wstring found = folder.FindFileRecursive(kUnpackFolder, L"Setup.exe");
    setup = found.empty() ? nullptr : folder.Hold(found);
    if (!setup) return Failed(Outcome::InstallerMissing, "the package has no Setup.exe at its top or one folder down");
    return JobOutcome{};
}

JobOutcome InstallerOfPackage(const Job& job, IJobWindow& window, IJobSystem& system, Package& package,
                              std::unique_ptr<IHeldFile>& installer) {
    if (job.package == PackageKind::Archive) return UnpackAndFindSetup(job, window, system, package, installer);
    installer = package.folder->Hold(package.name);
    if (!installer) return Failed(Outcome::InstallerMissing, "the installer is gone");
    window.Report({job.id, JobPhase::Checking, {}});
    JobOutcome outcome;
    if (!HashMatches(*installer, package.answer, outcome)) installer.reset();
    return outcome;
}
