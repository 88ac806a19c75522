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
    void ShowStatusText(const std::wstring& text) override { Record(L"status:" + text); }
    void ShowNoInternetHint() override { Record(L"no-internet"); }
    void ShowProgress(ProgressBar, bool show) override { Record(show ? L"bar-shown" : L"bar-hidden"); }
    void SetProgress(ProgressBar, int percent) override { Record(L"bar:" + std::to_wstring(percent)); }
    std::wstring Word(TranslationKey key) override {
        auto found = words.find(key);
        return found != words.end() ? found->second : kTranslationKeys[key];
    }
    bool BluetoothShown() const override { return bluetoothShown; }

    std::vector<std::wstring> Events() { std::lock_guard<std::mutex> g(m_lock); return m_events; }

    std::map<TranslationKey, std::wstring> words;
    bool bluetoothShown = true;

private:
    void Record(const std::wstring& event) { std::lock_guard<std::mutex> g(m_lock); m_events.push_back(event); }
    std::mutex m_lock;
    std::vector<std::wstring> m_events;
};

// What the checks of a held file find, as scripted by its system.
struct FakeFileFacts {
    std::string sha256 = "ab12";
    std::wstring signer = L"Vendor";
};

class CFakeHeldFile : public IHeldFile {
public:
    CFakeHeldFile(std::wstring path, const FakeFileFacts& facts, std::vector<std::wstring>& checks)
        : m_path(std::move(path)), m_facts(facts), m_checks(checks) {}
    const std::wstring& Path() const override { return m_path; }
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

// Answers as scripted; records what was asked of it.
class CFakeJobSystem : public IJobSystem {
public:
    void Sleep(unsigned milliseconds) override { slept += milliseconds; }
    std::wstring AppPath(const std::wstring& relative) override { return L"C:\\App\\" + relative; }
    ProcessOutcome RunAndWait(const std::wstring& program, const std::wstring& arguments,
                              unsigned long timeoutMs) override {
        started.push_back(arguments.empty() ? program : program + L" " + arguments);
        timeouts.push_back(timeoutMs);
        return outcome;
    }
    OsVersionClass QueryOsClass() override { return osClass; }
    NetResult HttpGetJson(const std::string& url, std::string& body) override {
        requests.push_back(url);
        if (!answered) return failure;
        body = answer;
        return NetResult::Ok;
    }
    NetResult DownloadFile(const std::string& url, const std::wstring& path,
                           const std::function<void(int)>& progress) override {
        downloads.push_back(url);
        downloadedTo.push_back(path);
        for (int percent : progressSteps) progress(percent);
        return downloadOk ? NetResult::Ok : failure;
    }
    std::wstring CreateJobFolder() override { return jobFolder; }
    void RemoveFolder(const std::wstring& folder) override { removed.push_back(folder); }
    std::wstring FindFile(const std::wstring& pattern, const std::wstring& name, bool descend) override {
        searches.push_back(pattern + L"|" + name + (descend ? L"|descend" : L""));
        return found;
    }
    std::unique_ptr<IHeldFile> HoldFile(const std::wstring& path) override {
        const auto gone = unholdable.find(path);
        if (gone != unholdable.end() && gone->second) return nullptr;
        return std::make_unique<CFakeHeldFile>(path, facts, checks);
    }
    bool StartElevated(const IHeldFile& file) override {
        elevated.push_back(file.Path());
        return startOk;
    }
    ProcessOutcome RunElevatedAndWait(const IHeldFile& file) override {
        elevated.push_back(file.Path());
        return elevatedOutcome;
    }
    std::wstring ToWide(const std::string& ansi) override { return std::wstring(ansi.begin(), ansi.end()); }
    void Trace(const std::string& text) override { traces.push_back(ToWide(text)); }
    void Trace(const std::wstring& text) override { traces.push_back(text); }

    ProcessOutcome outcome{true, true, 0};
    OsVersionClass osClass = 9;
    bool answered = true;
    std::string answer = R"({"status":true,"downloadURL":"https://host/files/pkg.zip"})";
    bool downloadOk = true;
    NetResult failure = NetResult::NoConnection;  // of the question or the download, whichever fails
    std::vector<int> progressSteps{40, 80};
    std::wstring found;
    std::wstring jobFolder = L"C:\\Work\\job-1";
    std::map<std::wstring, bool> unholdable;
    FakeFileFacts facts;
    bool startOk = true;
    ProcessOutcome elevatedOutcome{true, true, 0};

    std::vector<std::wstring> started, downloadedTo, searches, elevated, traces, checks, removed;
    std::vector<unsigned long> timeouts;
    std::vector<std::string> requests, downloads;
    unsigned slept = 0;
};
