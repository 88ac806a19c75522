#pragma once
// Fakes of the window and the system for the workflows' branching.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "install/job_system.h"
#include "install/job_window.h"
#include "install/layout_manifest.h"
#include "sys/text_util.h"
#include "sys/utf8.h"

// Records each new phase by name, and each new percentage of a transfer.
class CFakeJobWindow : public IJobWindow {
public:
    void Report(const JobProgress& progress) override {
        std::lock_guard<std::mutex> g(m_lock);
        const int percent = progress.transfer.Percent();
        if (progress.phase != m_phase) {
            m_phase = progress.phase;
            const char* name = PhaseName(progress.phase);
            m_events.emplace_back(name, name + std::strlen(name));
            m_percent = -1;
        }
        if (percent >= 0 && percent != m_percent) m_events.push_back(L"bar:" + std::to_wstring(percent));
        m_percent = percent;
        reports.push_back(progress);
    }
    void Tell(const Job&, const JobOutcome& outcome) override {
        std::lock_guard<std::mutex> g(m_lock);
        told.push_back(outcome);
    }

    bool ShowsProgress() const override { return showsProgress; }

    std::vector<std::wstring> Events() { std::lock_guard<std::mutex> g(m_lock); return m_events; }
    Outcome Told() { std::lock_guard<std::mutex> g(m_lock); return told.empty() ? Outcome::Done : told.back().kind; }

    std::vector<JobOutcome> told;
    std::vector<JobProgress> reports;
    bool showsProgress = true;

private:
    std::mutex m_lock;
    std::vector<std::wstring> m_events;
    JobPhase m_phase = JobPhase::Ended;
    int m_percent = -1;
};

// What the checks of a held file find, as scripted by its system.
struct FakeFileFacts {
    std::string sha256 = "ab12";
    std::wstring signer = L"Vendor";
    unsigned long long size = 1000;
    MsiMedia msi{true, {L"#data.cab"}, 3};
};

// A file outside the job folder: what a copy is made from.
class CFakeSourceFile : public IReadableFile {
public:
    CFakeSourceFile(std::wstring path, unsigned long long size) : m_path(std::move(path)), m_size(size) {}
    const std::wstring& Path() const override { return m_path; }
    unsigned long long Size() override { return m_size; }
    bool ReadAt(unsigned long long, void*, unsigned long, unsigned long& got, unsigned long&) override {
        got = 0;
        return true;
    }
private:
    std::wstring m_path;
    unsigned long long m_size;
};

class CFakeHeldFile : public IHeldFile {
public:
    CFakeHeldFile(std::wstring path, const FakeFileFacts& facts, std::vector<std::wstring>& checks)
        : m_path(std::move(path)), m_facts(facts), m_checks(checks) {}
    const std::wstring& Path() const override { return m_path; }
    unsigned long long Size() override { return m_facts.size; }
    bool ReadAt(unsigned long long, void*, unsigned long, unsigned long& got, unsigned long&) override {
        got = 0;
        return true;
    }
    std::string Sha256() override { return m_facts.sha256; }
    bool HasSha256(const std::string& expectedHex, std::string& reason) override {
        m_checks.push_back(L"sha256:" + m_path);
        reason = "hash differs";
        return Lower(expectedHex) == m_facts.sha256;  // as the real check: a hash in capitals is the same hash
    }
    bool SignedBy(const std::wstring& signer, std::string& reason) override {
        m_checks.push_back(L"signer:" + m_path);
        reason = "another signer";
        return signer == m_facts.signer;
    }
    MsiMedia WindowsInstallerMedia() override { return m_facts.msi; }
private:
    std::wstring m_path;
    FakeFileFacts m_facts;
    std::vector<std::wstring>& m_checks;
};

class CFakeJobSystem;

// A layout folder that keeps what is stored in memory.
class CFakeLayoutStore : public ILayoutStore {
public:
    std::string ReadManifest() override { return manifest; }
    std::string OthersMayChange() override { return changers; }
    sys::Status WriteManifest(const std::string& json) override { manifest = json; return {}; }
    bool Holds(const std::wstring& name, unsigned long long size, const std::string& sha256) override {
        const auto found = stored.find(name);
        return found != stored.end() && found->second.size == size && found->second.sha256 == sha256;
    }
    sys::Status Store(IReadableFile& file, const std::wstring& name) override {
        stored[name] = {static_cast<IHeldFile&>(file).Sha256(), L"", file.Size()};
        ++stores;
        return {};
    }
    sys::Status CopyProgram() override {
        programCopied = true;
        return {};
    }

    std::string manifest;
    std::string changers;  // who else may change the layout
    std::map<std::wstring, FakeFileFacts> stored;
    int stores = 0;
    bool programCopied = false;
};

// A job folder as its system scripts it; every step is recorded there.
class CFakeJobFolder : public IJobFolder {
public:
    CFakeJobFolder(CFakeJobSystem& system, std::wstring path) : m_system(system), m_path(std::move(path)) {}
    const std::wstring& Path() const override { return m_path; }
    std::wstring TempPath() const override { return m_path + L"\\temp"; }
    sys::Result<std::unique_ptr<IHeldFile>> CopyIn(IReadableFile& source, const std::wstring& name,
                                                   unsigned long long expectedSize, const TransferProgressFn& progress) override;
    std::unique_ptr<IHeldFile> Hold(const std::wstring& relative) override;
    std::wstring FindFileRecursive(const std::wstring& sub, const std::wstring& name) override;
    std::string UnpackedRefusal(const std::wstring& sub) override;
    sys::Result<std::unique_ptr<IHeldFile>> KeepInPackageCache(IHeldFile& installer, const std::string& sha256) override;
    void NoteStarted(const StartedProgram& started) override;
    void Remove() override;

private:
    CFakeJobSystem& m_system;
    std::wstring m_path;
};

// Answers as scripted; records what was asked of it.
class CFakeJobSystem : public IJobSystem {
public:
    void Sleep(unsigned milliseconds) override { slept += milliseconds; }
    bool Cancelled() override { return cancelled; }
    WindowsVersion QueryWindows() override { return windows; }
    NetResult HttpGetJson(const std::string& url, std::string& body) override {
        requests.push_back(url);
        if (!answered) return failure;
        body = answer;
        for (const auto& scripted : answerOf)
            if (url.find(scripted.first) != std::string::npos) body = scripted.second;
        return NetResult::Ok;
    }
    NetResult DownloadFile(const std::string& url, const std::wstring& path,
                           const TransferProgressFn& progress) override {
        downloads.push_back(url);
        downloadedTo.push_back(path);
        for (int percent : progressSteps) progress({percent * 10ull, 1000, 2048});
        if (cancelDuringDownload) cancelled = true;
        return cancelled ? NetResult::Cancelled : downloadOk ? NetResult::Ok : failure;
    }
    sys::Result<std::unique_ptr<IReadableFile>> OpenDelivered(const std::wstring& relative) override {
        const auto gone = undeliverable.find(relative);
        if (gone != undeliverable.end()) return sys::Result<std::unique_ptr<IReadableFile>>::Failed(gone->second);
        return std::unique_ptr<IReadableFile>(std::make_unique<CFakeSourceFile>(L"C:\\App\\" + relative, 1000));
    }
    std::unique_ptr<IJobFolder> CreateJobFolder() override {
        if (jobFolder.empty()) return nullptr;
        return std::make_unique<CFakeJobFolder>(*this, jobFolder);
    }
    std::unique_ptr<IOfflineLayout> OpenOfflineLayout() override;
    sys::Result<std::unique_ptr<ILayoutStore>> OpenLayoutStore(const std::wstring&) override {
        if (layoutStoreError) return sys::Result<std::unique_ptr<ILayoutStore>>::Failed(layoutStoreError);
        return std::unique_ptr<ILayoutStore>(std::make_unique<CLayoutView>(layout));
    }
    // The layout lives in the system, so that a test can look at it after a run.
    class CLayoutView : public ILayoutStore {
    public:
        explicit CLayoutView(CFakeLayoutStore& store) : m_store(store) {}
        std::string ReadManifest() override { return m_store.ReadManifest(); }
        std::string OthersMayChange() override { return m_store.OthersMayChange(); }
        sys::Status WriteManifest(const std::string& json) override { return m_store.WriteManifest(json); }
        bool Holds(const std::wstring& n, unsigned long long s, const std::string& h) override { return m_store.Holds(n, s, h); }
        sys::Status Store(IReadableFile& file, const std::wstring& name) override { return m_store.Store(file, name); }
        sys::Status CopyProgram() override { return m_store.CopyProgram(); }
    private:
        CFakeLayoutStore& m_store;
    };
    ProcessRun RunAndWait(const IHeldFile& program, const std::wstring& arguments, unsigned long timeoutMs,
                              bool console, const std::wstring& temp) override {
        started.push_back((console ? L"[console] " : L"") +
                          (arguments.empty() ? program.Path() : program.Path() + L" " + arguments));
        timeouts.push_back(timeoutMs);
        temps.push_back(temp);
        const auto scripted = runs.find(program.Path());
        return scripted != runs.end() ? scripted->second : outcome;
    }
    ProcessRun StartInstaller(const IHeldFile& file, const std::wstring& arguments, const std::wstring& temp,
                              const std::vector<std::wstring>&, std::function<void(const DeviceLook&)> whenEnded) override {
        installers.push_back(arguments.empty() ? file.Path() : file.Path() + L" " + arguments);
        temps.push_back(temp);
        if (whenEnded && installerOutcome.running) whenEnded(devicesAfter.empty() ? device : devicesAfter.front());
        return installerOutcome;
    }
    // The device before and after a setup: each look takes the next of devicesAfter once one ran.
    DeviceLook LookAtDevice(const std::vector<std::wstring>& ids) override {
        looks.push_back(ids.empty() ? L"" : ids.front());
        if (ids.empty()) return {};
        const bool after = !started.empty() || !installers.empty();
        if (after && !devicesAfter.empty()) {
            device = devicesAfter.front();
            devicesAfter.erase(devicesAfter.begin());
        }
        return device;
    }

    ProcessRun outcome = ProcessRun::Exited(0);             // of every program run and waited for
    std::map<std::wstring, ProcessRun> runs;       // of this program, instead
    WindowsVersion windows = WindowsVersion::Win10;
    bool answered = true;
    std::string answer = R"({"status":true,"downloadURL":"https://host/files/pkg.zip"})";
    std::map<std::string, std::string> answerOf;   // for an address naming this resource, instead
    bool downloadOk = true;
    NetResult failure = NetResult::NoConnection;  // of the question or the download, whichever fails
    std::vector<int> progressSteps{40, 80};
    std::wstring found;                            // what FindFileRecursive finds, below the job folder
    std::string unpackedRefusal;
    std::wstring jobFolder = L"C:\\Work\\job-1";  // empty: none can be made
    std::map<std::wstring, bool> unholdable;       // relative names that cannot be held or copied
    FakeFileFacts facts;
    std::map<std::wstring, FakeFileFacts> factsOf;  // of this file (relative name), instead
    ProcessRun installerOutcome = ProcessRun::Running();
    DeviceLook device = DeviceLook(DeviceState::Installed, L"1.0");  // what a look at the adapter finds
    std::vector<DeviceLook> devicesAfter;                 // and once a program ran, these in turn
    std::vector<std::wstring> looks;                      // the first ID of each look
    std::map<std::wstring, unsigned long> undeliverable;  // delivered files that cannot be opened, with the error
    unsigned long copyError = 0;                        // of every copy into a job folder; 0: it works
    unsigned long cacheError = 0;                       // of keeping a package's source; 0: it works
    bool cancelled = false;                             // the job's cancel
    bool cancelDuringDownload = false;                  // the user cancels while it downloads
    // The offline layout beside the program: its manifest (none: no layout),
    // who else may change the layout and its packages, which cannot be read.
    std::string manifest;
    bool layoutPresent = true;
    std::string manifestSha256 = "m1";
    std::string layoutChangers;
    std::map<std::wstring, std::string> packageChangers;
    std::map<std::wstring, unsigned long> unreadablePackages;
    CFakeLayoutStore layout;    // what a /layout run fills
    unsigned long layoutStoreError = 0;

    std::vector<std::wstring> started, downloadedTo, installers, checks, copies, searches, noted, temps;
    std::vector<unsigned long> timeouts;
    std::vector<std::string> requests, downloads;
    int removed = 0;
    unsigned slept = 0;
};

// The layout beside the program, as its system scripts it.
class CFakeOfflineLayout : public IOfflineLayout {
public:
    explicit CFakeOfflineLayout(CFakeJobSystem& system) : m_system(system) {}
    const std::string& Manifest() const override { return m_system.manifest; }
    const std::string& ManifestSha256() const override { return m_system.manifestSha256; }
    const std::string& OthersMayChange() const override { return m_system.layoutChangers; }
    sys::Result<std::unique_ptr<IReadableFile>> OpenPackage(const std::wstring& name,
                                                            std::string& othersMayChange) override {
        const auto unreadable = m_system.unreadablePackages.find(name);
        if (unreadable != m_system.unreadablePackages.end())
            return sys::Result<std::unique_ptr<IReadableFile>>::Failed(unreadable->second);
        const auto changers = m_system.packageChangers.find(name);
        if (changers != m_system.packageChangers.end()) othersMayChange = changers->second;
        return std::unique_ptr<IReadableFile>(
            std::make_unique<CFakeSourceFile>(L"L:\\layout\\packages\\" + name, m_system.facts.size));
    }
private:
    CFakeJobSystem& m_system;
};

inline std::unique_ptr<IOfflineLayout> CFakeJobSystem::OpenOfflineLayout() {
    if (!layoutPresent || manifest.empty()) return nullptr;
    return std::make_unique<CFakeOfflineLayout>(*this);
}

inline sys::Result<std::unique_ptr<IHeldFile>> CFakeJobFolder::CopyIn(IReadableFile& source, const std::wstring& name,
                                                                      unsigned long long expectedSize,
                                                                      const TransferProgressFn& progress) {
    m_system.copies.push_back(source.Path());
    if (m_system.copyError || (expectedSize != kAnySize && source.Size() != expectedSize))
        return sys::Result<std::unique_ptr<IHeldFile>>::Failed(m_system.copyError ? m_system.copyError : 13);
    if (progress) progress({source.Size() / 2, source.Size(), 0});
    return Hold(name);
}

inline std::unique_ptr<IHeldFile> CFakeJobFolder::Hold(const std::wstring& relative) {
    const auto gone = m_system.unholdable.find(relative);
    if (gone != m_system.unholdable.end() && gone->second) return nullptr;
    const auto facts = m_system.factsOf.find(relative);
    return std::make_unique<CFakeHeldFile>(m_path + L"\\" + relative,
                                           facts != m_system.factsOf.end() ? facts->second : m_system.facts,
                                           m_system.checks);
}

inline std::wstring CFakeJobFolder::FindFileRecursive(const std::wstring& sub, const std::wstring& name) {
    m_system.searches.push_back(sub + L"|" + name);
    return m_system.found;
}

inline std::string CFakeJobFolder::UnpackedRefusal(const std::wstring&) { return m_system.unpackedRefusal; }
inline sys::Result<std::unique_ptr<IHeldFile>> CFakeJobFolder::KeepInPackageCache(IHeldFile& installer,
                                                                                  const std::string& sha256) {
    m_system.copies.push_back(installer.Path());
    if (m_system.cacheError) return sys::Result<std::unique_ptr<IHeldFile>>::Failed(m_system.cacheError);
    const std::wstring name = installer.Path().substr(installer.Path().find_last_of(L'\\') + 1);
    return std::unique_ptr<IHeldFile>(std::make_unique<CFakeHeldFile>(
        L"C:\\Work\\msi-cache\\" + Utf8ToWide(sha256) + L"\\" + name, m_system.facts, m_system.checks));
}
inline void CFakeJobFolder::NoteStarted(const StartedProgram&) { m_system.noted.push_back(m_path); }
inline void CFakeJobFolder::Remove() { ++m_system.removed; }

// What the workflow tests assume: the bar of a good and a failed download,
// the hashes the fakes give, the vendor "Vendor" and the archiver pinned.
using Events = std::vector<std::wstring>;
inline const Events kGoodBar = {L"asking", L"downloading", L"bar:40", L"bar:80", L"bar:100"};
inline const Events kFailedBar = {L"asking", L"downloading", L"bar:40", L"bar:80", L"ended"};
inline const Events kAskedOnly = {L"asking", L"ended"};
inline Events Then(Events first, const Events& next) {
    first.insert(first.end(), next.begin(), next.end());
    return first;
}
inline bool StartsWith(const Events& events, const Events& start) {
    return events.size() >= start.size() && std::equal(start.begin(), start.end(), events.begin());
}
inline bool Contains(const Events& events, const Events& run) {
    return std::search(events.begin(), events.end(), run.begin(), run.end()) != events.end();
}
using Paths = std::vector<std::wstring>;
inline const std::string kHash(64, 'c');
inline const std::string kArchiverHash(64, 'a');
inline const Job& Bluetooth() { return JobOf(JobId::Bluetooth); }

// The settings these tests assume: the vendor "Vendor", the archiver pinned.
struct CVendorSettings : CSettingsOverride {
    CVendorSettings() {
        g_settings.packageSigner = L"Vendor";
        g_settings.unsignedPackagesAllowed = false;
        g_settings.archiverSha256 = kArchiverHash;
    }
};

// A system whose archiver copy has the pinned hash.
struct CBluetoothSystem : CFakeJobSystem {
    CBluetoothSystem() { factsOf[L"7za.exe"] = {kArchiverHash, L"Igor Pavlov"}; }
};
