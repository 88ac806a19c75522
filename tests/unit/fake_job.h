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

class CFakeJobSystem : public IJobSystem {
public:
    void Sleep(unsigned milliseconds) override { slept += milliseconds; }
    std::wstring AppPath(const std::wstring& relative) override { return L"C:\\App\\" + relative; }
    ProcessOutcome RunAndWait(const std::wstring& program) override {
        started.push_back(program);
        return outcome;
    }
    ProcessOutcome outcome{true, true, 0};
    std::vector<std::wstring> started;
    unsigned slept = 0;
};
