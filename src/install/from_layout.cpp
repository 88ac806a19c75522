#include "install/from_layout.h"

#include <memory>

#include "install/layout_manifest.h"
#include "sys/log.h"
#include "sys/text_util.h"
#include "sys/utf8.h"

namespace {

std::string Described(const Job& job, const std::string& osValue) {
    return WideToUtf8(job.name) + (osValue.empty() ? "" : " for " + osValue);
}

// What vouches for the entry, or why nothing does.
struct Voucher {
    bool service = false, pinned = false;  // else the folder, if nobody else may change it
    std::string missing;                   // the log's words for what did not vouch
};

Voucher VoucherOf(const LayoutEntry& entry, const IOfflineLayout& layout, const ServiceAnswer* answered) {
    Voucher voucher;
    if (answered) {
        // While the service answers, it decides: only its own hash vouches.
        voucher.service = answered->hasSha256 && Lower(answered->sha256) == entry.sha256;
        if (!voucher.service)
            voucher.missing = answered->hasSha256 ? "the service names another package (sha256 " + answered->sha256 + ")"
                                                  : "the service names no hash to compare";
        return voucher;
    }
    const std::string& pin = g_settings.pinnedLayoutManifestSha256;
    voucher.pinned = !pin.empty() && layout.ManifestSha256() == pin;
    std::string notPinned = pin.empty() ? "this program pins no layout manifest"
                                        : "the manifest is not the one this program pins";
    voucher.missing = std::string(g_settings.run.offline ? "the service was not asked (offline)"
                                                     : "the service could not be reached") + ", " + notPinned;
    return voucher;
}

// The package file, and whether the vouching holds with it: a folder's
// vouching needs the file itself to be the administrators' too.
std::unique_ptr<IReadableFile> OpenVouched(IOfflineLayout& layout, const LayoutEntry& entry, Voucher& voucher) {
    std::string fileChangers;
    sys::Result<std::unique_ptr<IReadableFile>> opened = layout.OpenPackage(Utf8ToWide(entry.file), fileChangers);
    if (!opened) {
        voucher.missing = "it cannot be read as a plain file with one name (error " + std::to_string(opened.error) + ")";
        return nullptr;
    }
    std::unique_ptr<IReadableFile> file = std::move(opened.value);
    if (voucher.service || voucher.pinned) return file;
    const std::string changers = !layout.OthersMayChange().empty() ? layout.OthersMayChange() : fileChangers;
    if (changers.empty()) return file;
    voucher.missing += ", and its own security proves nothing (" + changers + ")";
    return nullptr;
}

const char* VouchedBy(const Voucher& voucher) {
    return voucher.service ? "the service's hash" : voucher.pinned ? "the manifest pinned in this program"
                                                                   : "a folder only administrators can change";
}

}  // namespace

bool TakeFromLayout(const Job& job, IJobWindow& window, IJobSystem& system, const std::string& osValue,
                    const ServiceAnswer* answered, Package& package) {
    const std::unique_ptr<IOfflineLayout> layout = system.OpenOfflineLayout();
    if (!layout) return false;
    if (g_settings.packageSigner.empty()) {
        sys::Log("this build names no package signer: it takes nothing from the offline layout");
        return false;
    }
    const std::vector<LayoutEntry> entries = ReadLayoutManifest(layout->Manifest());
    const LayoutEntry* entry = FindLayoutEntry(entries, WideToUtf8(job.quietSwitch), osValue);
    if (!entry) {
        sys::Log("the offline layout has no package of the " + Described(job, osValue));
        return false;
    }
    const std::string refusal = LayoutEntryRefusal(*entry);
    if (!refusal.empty()) {
        sys::Log("the offline layout's entry for the " + Described(job, osValue) + " is refused: " + refusal);
        return false;
    }
    Voucher voucher = VoucherOf(*entry, *layout, answered);
    const std::unique_ptr<IReadableFile> source =
        answered && !voucher.service ? nullptr : OpenVouched(*layout, *entry, voucher);
    if (!source) {
        sys::Log("the offline layout's " + entry->file + " is not used: " + voucher.missing);
        return false;
    }
    package.folder = system.CreateJobFolder();
    if (!package.folder) return false;
    package.name = Utf8ToWide(entry->file);
    window.Report({job.id, JobPhase::Copying, {}});
    sys::Result<std::unique_ptr<IHeldFile>> copied = package.folder->CopyIn(
        *source, package.name, entry->size,
        [&](const TransferProgress& progress) { window.Report({job.id, JobPhase::Copying, progress}); });
    std::unique_ptr<IHeldFile> copy = std::move(copied.value);
    if (copy) window.Report({job.id, JobPhase::Copying, {entry->size, entry->size, 0}});
    std::string why = copy ? std::string() : "it could not be copied (error " + std::to_string(copied.error) + ")";
    std::string reason;
    if (copy && !copy->HasSha256(entry->sha256, reason)) why = reason;
    copy.reset();
    if (!why.empty()) {
        sys::Log("the offline layout's " + entry->file + " is refused: " + why);
        package.folder->Remove();
        package.folder.reset();
        return false;
    }
    sys::Log("taken from the offline layout, vouched for by " + std::string(VouchedBy(voucher)) + ": " + entry->file +
             " (" + entry->source + ")");
    package.answer = {entry->source, true, entry->sha256};
    return true;
}
