#pragma once
// The program's limits, waits and trust anchors as one value, read from the
// build settings when the program starts. Tests change it through
// CSettingsOverride, which puts everything back when it goes.
#include <array>
#include <string>
#include <vector>

#include "build_settings.h"
#include "sys/run_choices.h"

struct Settings {
    // Per job, indexed as the job table (install/jobs.h): its build
    // switch, and what makes its installer ask nothing (given only when
    // nobody may be asked).
    std::array<bool, build::kJobCount> offered;
    std::array<std::wstring, build::kJobCount> silentArguments;
    // The hardware IDs of the adapter's function its driver serves; none:
    // the job looks at no device.
    std::array<std::vector<std::wstring>, build::kJobCount> deviceIds;
    std::string serviceHost;        // the device service, "host" or "host:port"
    std::wstring packageSigner;     // the subject (or its common name) every started installer must be signed by
    bool unsignedPackagesAllowed;   // only a build made so may start installers without a signer
    std::string archiverSha256;     // lower-case hex SHA-256 of the one archiver it runs
    unsigned long retryBaseMs;      // the waits between attempts are about 1 and 3 times this
    unsigned long answerStallMs;    // the longest wait for any data of a service answer
    unsigned long transferStallMs;  // the same for a package
    unsigned long slowWindowMs;     // a transfer that averages under minBytesPerSecond this long gives up
    unsigned long minBytesPerSecond;
    unsigned long archiverTimeoutMs;
    unsigned long wmiTimeoutMs;       // the longest wait for WMI's Windows version
    unsigned long deviceQueryMs;      // the longest wait for SetupAPI's list of present devices
    unsigned long installerTimeoutMs; // unattended, an installer running longer is ended
    unsigned long setupGraceMs;       // what an ended setup left running is waited for this long, then left alone
    unsigned long busyFileRetryMs;    // how long a file a scanner holds is tried again
    unsigned long signatureCheckMs;   // the longest a signature check may take, revocation included
    unsigned long passiveCloseMs;     // /passive: how long the window stays after the last job
    unsigned long packageCacheDays;   // an installed .msi's kept source stays this long after its last use
    unsigned long partialKeepDays;    // a broken-off download is kept this long to be continued
    unsigned long long partialBudgetBytes;  // and all of them together no larger than this
    std::string pinnedLayoutManifestSha256;  // the bundled offline layout's manifest; empty: none is pinned
    RunChoices run;                 // what this run was asked to do; the build's defaults until it starts
};

Settings BuildSettings();
extern Settings g_settings;

class CSettingsOverride {
public:
    CSettingsOverride() : m_saved(g_settings) {}
    ~CSettingsOverride() { g_settings = m_saved; }
    CSettingsOverride(const CSettingsOverride&) = delete;
    CSettingsOverride& operator=(const CSettingsOverride&) = delete;
    Settings* operator->() const { return &g_settings; }

private:
    Settings m_saved;
};
