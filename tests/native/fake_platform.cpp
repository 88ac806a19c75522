#include "fake_platform.h"

#include <atomic>
#include <fstream>
#include <mutex>
#include <sstream>

#include "sys/log.h"
#include "sys/platform.h"
#include "sys/utf8.h"

namespace {
std::mutex g_lock;
std::string g_folder = ".";
std::vector<std::string> g_debug;
std::atomic<unsigned short> g_language{0x0409};
std::atomic<int> g_reads{0};

std::string NativePath(const std::wstring& path) {
    std::string out;
    for (wchar_t c : path) out.push_back(c == L'\\' ? '/' : static_cast<char>(c));
    return out;
}
// Every line the program logs, kept for the tests to take.
class CKeptLog : public sys::ILogSink {
public:
    CKeptLog() { sys::AddLogSink(*this); }
    void Write(const std::wstring& line) override {
        std::lock_guard<std::mutex> g(g_lock);
        g_debug.push_back(WideToUtf8(line));
    }
};
CKeptLog g_kept;
}  // namespace

namespace fake {
void SetProgramFolder(const std::string& folder) { std::lock_guard<std::mutex> g(g_lock); g_folder = folder; }
void SetUiLanguage(unsigned short langId) { g_language = langId; }
std::vector<std::string> TakeDebugOutput() {
    std::lock_guard<std::mutex> g(g_lock);
    std::vector<std::string> out;
    out.swap(g_debug);
    return out;
}
int ReadCount() { return g_reads; }
}  // namespace fake

namespace sys {

std::wstring ExecutablePath() { return AppFolderJoin(L"Installer.exe"); }

std::wstring AppFolderJoin(const std::wstring& name) {
    std::lock_guard<std::mutex> g(g_lock);
    std::wstring folder(g_folder.begin(), g_folder.end());
    return folder + L"\\" + name;
}

unsigned short UserUiLanguage() { return g_language; }

NumberFacts UserNumberFacts() { return NumberFacts(); }

ReadResult ReadWholeFile(const std::wstring& path, std::size_t maxBytes, std::string& bytes) {
    ++g_reads;
    std::ifstream in(NativePath(path), std::ios::binary);
    if (!in) return ReadResult::CannotOpen;
    in.seekg(0, std::ios::end);
    if (static_cast<std::size_t>(in.tellg()) > maxBytes) return ReadResult::TooLarge;
    in.seekg(0);
    std::ostringstream content;
    content << in.rdbuf();
    bytes = content.str();
    return ReadResult::Ok;
}

}  // namespace sys
