#pragma once
// Fakes of the window and the system for the workflows' branching.
#include <map>
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

// Answers as scripted; records what was asked of it.
class CFakeJobSystem : public IJobSystem {
public:
    void Sleep(unsigned milliseconds) override { slept += milliseconds; }
    std::wstring AppPath(const std::wstring& relative) override { return L"C:\\App\\" + relative; }
    ProcessOutcome RunAndWait(const std::wstring& program, const std::wstring& arguments) override {
        started.push_back(arguments.empty() ? program : program + L" " + arguments);
        return outcome;
    }
    OsVersionClass QueryOsClass() override { return osClass; }
    bool HttpGetJson(const std::string& url, std::string& body) override {
        requests.push_back(url);
        if (!answered) return false;
        body = answer;
        return true;
    }
    bool DownloadFile(const std::string& url, const std::wstring& path,
                      const std::function<void(int)>& progress) override {
        downloads.push_back(url);
        downloadedTo.push_back(path);
        for (int percent : progressSteps) progress(percent);
        return downloadOk;
    }
    std::wstring WorkFolder(const std::wstring& sub) override {
        return sub.empty() ? L"C:\\Work" : L"C:\\Work\\" + sub;
    }
    std::wstring FindFile(const std::wstring& pattern, const std::wstring& name, bool descend) override {
        searches.push_back(pattern + L"|" + name + (descend ? L"|descend" : L""));
        return found;
    }
    bool FileExists(const std::wstring& path) override { return existing.count(path) > 0; }
    void StartElevated(const std::wstring& path) override { elevated.push_back(path); }
    std::wstring ToWide(const std::string& ansi) override { return std::wstring(ansi.begin(), ansi.end()); }
    void Trace(const std::string& text) override { traces.push_back(ToWide(text)); }
    void Trace(const std::wstring& text) override { traces.push_back(text); }

    ProcessOutcome outcome{true, true, 0};
    OsVersionClass osClass = 9;
    bool answered = true;
    std::string answer = R"({"status":true,"downloadURL":"https://host/files/pkg.zip"})";
    bool downloadOk = true;
    std::vector<int> progressSteps{40, 80};
    std::wstring found;
    std::map<std::wstring, bool> existing;

    std::vector<std::wstring> started, downloadedTo, searches, elevated, traces;
    std::vector<std::string> requests, downloads;
    unsigned slept = 0;
};
