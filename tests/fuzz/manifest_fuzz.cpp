// Feeds arbitrary bytes to the offline layout's manifest: the reader, the
// checks every entry must pass before it is used or kept, and the writer,
// whose output must read back as what it was given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "install/layout_manifest.h"
#include "net/device_service.h"
#include "sys/text_util.h"

namespace {
bool Same(const LayoutEntry& a, const LayoutEntry& b) {
    return a.job == b.job && a.windows == b.windows && a.file == b.file && a.size == b.size && a.sha256 == b.sha256 &&
           a.source == b.source && a.time == b.time;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<LayoutEntry> entries = ReadLayoutManifest(std::string(reinterpret_cast<const char*>(data), size));
    std::vector<LayoutEntry> kept;
    for (const LayoutEntry& entry : entries) {
        if (!FindLayoutEntry(entries, entry.job, entry.windows)) std::abort();
        if (!LayoutEntryRefusal(entry).empty()) continue;
        // What passes may be opened in packages\ by its name, and is what a /layout run carries on.
        if (!IsSafeFileName(entry.file) || !IsSha256Hex(entry.sha256)) std::abort();
        kept.push_back(entry);
    }
    const std::vector<LayoutEntry> again = ReadLayoutManifest(WriteLayoutManifest(kept));
    if (again.size() != kept.size()) std::abort();
    for (std::size_t i = 0; i < kept.size(); ++i)
        if (!Same(kept[i], again[i])) std::abort();
    return 0;
}
