#pragma once
// Fakes of the window and the system for the workflows' branching.
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "install/job_window.h"

class CFakeJobWindow : public IJobWindow {
public:
    void ShowProgress(Job, bool show) override { Record(show ? L"bar-shown" : L"bar-hidden"); }
    void SetProgress(Job, int percent) override { Record(L"bar:" + std::to_wstring(percent)); }
    void Tell(const Feature&, const JobOutcome& outcome) override {
        std::lock_guard<std::mutex> g(m_lock);
        told.push_back(outcome);
    }

    std::vector<std::wstring> Events() { std::lock_guard<std::mutex> g(m_lock); return m_events; }
    Outcome Told() { std::lock_guard<std::mutex> g(m_lock); return told.empty() ? Outcome::Done : told.back().kind; }

    std::vector<JobOutcome> told;

private:
    void Record(const std::wstring& event) { std::lock_guard<std::mutex> g(m_lock); m_events.push_back(event); }
    std::mutex m_lock;
    std::vector<std::wstring> m_events;
};

// What the checks of a held file find, as scripted by its system.
struct FakeFileFacts {
    std::string sha256 = "ab12";
    std::wstring signer = L"Vendor";
    unsigned long long size = 1000;
};

class CFakeHeldFile : public IHeldFile {
public:
    CFakeHeldFile(std::wstring path, const FakeFileFacts& facts, std::vector<std::wstring>& checks)
        : m_path(std::move(path)), m_facts(facts), m_checks(checks) {}
    const std::wstring& Path() const override { return m_path; }
    unsigned long long Size() override { return m_facts.size; }
    std::string Sha256() override { return m_facts.sha256; }
    bool HasSha256(const std::string& expectedHex, std::string& reason) override {
        m_checks.push_back(L"sha256:" + m_path);
        reason = "hash differs";
        return expectedHex == m_facts.sha256;
    }
    bool SignedBy(const std::wstring& signer, std::string& reason) override {
        m_checks.push_back(L"signer:" + m_path);
        reason = "another signer";
        return signer == m_facts.signer;
    }
private:
    std::wstring m_path;
    FakeFileFacts m_facts;
    std::vector<std::wstring>& m_checks;
};

class CFakeJobSystem;

// A layout folder that keeps what is stored in memory.
class CFakeLayoutStore : public ILayoutStore {
public:
    std::string ReadList() override { return list; }
    bool WriteList(const std::string& json) override { list = json; return true; }
    bool Holds(const std::wstring& name, unsigned long long size, const std::string& sha256) override {
        const auto found = stored.find(name);
        return found != stored.end() && found->second.size == size && found->second.sha256 == sha256;
    }
    bool Store(const IHeldFile& file, const std::wstring& name) override {
        auto& held = const_cast<IHeldFile&>(file);
        stored[name] = {held.Sha256(), L"", held.Size()};
        ++stores;
        return true;
    }
    bool CopyProgram() override { return programCopied = true; }

    std::string list;
    std::map<std::wstring, FakeFileFacts> stored;
    int stores = 0;
    bool programCopied = false;
};

// A job folder as its system scripts it; every step is recorded there.
class CFakeJobFolder : public IJobFolder {
public:
    CFakeJobFolder(CFakeJobSystem& system, std::wstring path) : m_system(system), m_path(std::move(path)) {}
    const std::wstring& Path() const override { return m_path; }
    std::unique_ptr<IHeldFile> CopyIn(const std::wstring& source, const std::wstring& name,
                                      const std::function<void(int)>& progress) override;
    std::unique_ptr<IHeldFile> Hold(const std::wstring& relative) override;
    std::wstring FindShallowest(const std::wstring& sub, const std::wstring& name) override;
    std::string UnpackedRefusal(const std::wstring& sub) override;
    void NoteStarted(const ProcessOutcome& started) override;
    void Remove() override;

private:
    CFakeJobSystem& m_system;
    std::wstring m_path;
};

// Answers as scripted; records what was asked of it.
class CFakeJobSystem : public IJobSystem {
public:
    void Sleep(unsigned milliseconds) override { slept += milliseconds; }
    std::wstring AppPath(const std::wstring& relative) override { return L"C:\\App\\" + relative; }
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
                           const std::function<void(int)>& progress) override {
        downloads.push_back(url);
        downloadedTo.push_back(path);
        for (int percent : progressSteps) progress(percent);
        return downloadOk ? NetResult::Ok : failure;
    }
    std::unique_ptr<IJobFolder> CreateJobFolder() override {
        if (jobFolder.empty()) return nullptr;
        return std::make_unique<CFakeJobFolder>(*this, jobFolder);
    }
    std::string ReadPackageList() override { return packageList; }
    std::wstring LayoutFile(const std::wstring& name) override { return L"L:\\layout\\packages\\" + name; }
    std::unique_ptr<ILayoutStore> OpenLayoutStore(const std::wstring&) override {
        return std::make_unique<CLayoutView>(layout);
    }
    // The layout lives in the system, so that a test can look at it after a run.
    class CLayoutView : public ILayoutStore {
    public:
        explicit CLayoutView(CFakeLayoutStore& store) : m_store(store) {}
        std::string ReadList() override { return m_store.ReadList(); }
        bool WriteList(const std::string& json) override { return m_store.WriteList(json); }
        bool Holds(const std::wstring& n, unsigned long long s, const std::string& h) override { return m_store.Holds(n, s, h); }
        bool Store(const IHeldFile& file, const std::wstring& name) override { return m_store.Store(file, name); }
        bool CopyProgram() override { return m_store.CopyProgram(); }
    private:
        CFakeLayoutStore& m_store;
    };
    ProcessOutcome RunAndWait(const IHeldFile& program, const std::wstring& arguments, unsigned long timeoutMs,
                              bool console) override {
        started.push_back((console ? L"[console] " : L"") +
                          (arguments.empty() ? program.Path() : program.Path() + L" " + arguments));
        timeouts.push_back(timeoutMs);
        const auto scripted = runs.find(program.Path());
        return scripted != runs.end() ? scripted->second : outcome;
    }
    ProcessOutcome StartInstaller(const IHeldFile& file, const std::wstring& arguments) override {
        installers.push_back(arguments.empty() ? file.Path() : file.Path() + L" " + arguments);
        return installerOutcome;
    }

    ProcessOutcome outcome{true, true, 0};             // of every program run and waited for
    std::map<std::wstring, ProcessOutcome> runs;       // of this program, instead
    WindowsVersion windows = WindowsVersion::Win10;
    bool answered = true;
    std::string answer = R"({"status":true,"downloadURL":"https://host/files/pkg.zip"})";
    std::map<std::string, std::string> answerOf;   // for an address naming this resource, instead
    bool downloadOk = true;
    NetResult failure = NetResult::NoConnection;  // of the question or the download, whichever fails
    std::vector<int> progressSteps{40, 80};
    std::wstring found;                            // what FindShallowest finds, below the job folder
    std::string unpackedRefusal;
    std::wstring jobFolder = L"C:\\Work\\job-1";  // empty: none can be made
    std::map<std::wstring, bool> unholdable;       // relative names that cannot be held or copied
    FakeFileFacts facts;
    std::map<std::wstring, FakeFileFacts> factsOf;  // of this file (relative name), instead
    ProcessOutcome installerOutcome{true, false, 0, false, true};
    std::string packageList;    // the offline layout's list beside the program
    CFakeLayoutStore layout;    // what a /layout run fills

    std::vector<std::wstring> started, downloadedTo, installers, checks, copies, searches, noted;
    std::vector<unsigned long> timeouts;
    std::vector<std::string> requests, downloads;
    int removed = 0;
    unsigned slept = 0;
};

inline std::unique_ptr<IHeldFile> CFakeJobFolder::CopyIn(const std::wstring& source, const std::wstring& name,
                                                         const std::function<void(int)>& progress) {
    m_system.copies.push_back(source);
    if (progress) progress(100);
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

inline std::wstring CFakeJobFolder::FindShallowest(const std::wstring& sub, const std::wstring& name) {
    m_system.searches.push_back(sub + L"|" + name);
    return m_system.found;
}

inline std::string CFakeJobFolder::UnpackedRefusal(const std::wstring&) { return m_system.unpackedRefusal; }
inline void CFakeJobFolder::NoteStarted(const ProcessOutcome&) { m_system.noted.push_back(m_path); }
inline void CFakeJobFolder::Remove() { ++m_system.removed; }
