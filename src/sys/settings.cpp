#include "sys/settings.h"

#include <algorithm>

#include "archiver_pin.h"
#include "build_settings.h"
#include "sys/utf8.h"

Settings BuildSettings() {
    Settings s;
    for (std::size_t job = 0; job < build::kJobCount; ++job) {
        s.offered[job] = build::kJobOffered[job];
        s.silentArguments[job] = Utf8ToWide(build::kSilentArguments[job]);
        std::wstring ids = Utf8ToWide(build::kDeviceIds[job]);
        for (std::size_t at = 0; at <= ids.size();) {
            const std::size_t end = std::min(ids.find(L'|', at), ids.size());
            if (end > at) s.deviceIds[job].push_back(ids.substr(at, end - at));
            at = end + 1;
        }
    }
    s.serviceHost = build::kServiceHost;
    s.packageSigner = Utf8ToWide(build::kPackageSigner);
    s.unsignedPackagesAllowed = build::kUnsignedPackagesAllowed;
    s.archiverSha256 = build::kArchiverSha256;
    s.pinnedLayoutManifestSha256 = build::kPinnedLayoutManifestSha256;
    s.retryBaseMs = 1000;
    s.answerStallMs = 10000;
    s.transferStallMs = 30000;
    s.slowWindowMs = 60000;
    s.minBytesPerSecond = 1024;
    s.archiverTimeoutMs = 10 * 60 * 1000;
    s.wmiTimeoutMs = 5000;
    s.deviceQueryMs = 5000;
    s.installerTimeoutMs = 30 * 60 * 1000;
    s.setupGraceMs = 2 * 60 * 1000;
    s.busyFileRetryMs = 2000;
    s.signatureCheckMs = 30000;
    s.passiveCloseMs = 5000;
    s.packageCacheDays = 365;
    s.partialKeepDays = 7;
    s.partialBudgetBytes = 4ull << 30;
    return s;
}

Settings g_settings = BuildSettings();
