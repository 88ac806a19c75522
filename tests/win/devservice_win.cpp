#include "devservice_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "net/transfer.h"
#include "sys/settings.h"
#include "wine_helpers_win.h"

namespace test {

namespace {

// The program's waits between attempts, shortened for every test that talks to the service.
class CShortRetryWaits : public ::testing::Environment {
    void SetUp() override { g_settings.retryBaseMs = 100; }
};
const auto* const kShortRetryWaits = ::testing::AddGlobalTestEnvironment(new CShortRetryWaits);

std::wstring StatePath(const std::string& name) {
    return HostPath(std::string(INSTALLER_DEVSERVICE_STATE) + "/" + name);
}

// Moves the file away before reading it, so that a line written meanwhile is
// never lost between reading and emptying: it lands in the next take. A file
// that a writer holds open right now is left for the next take.
std::vector<std::string> TakeLines(const std::wstring& path) {
    std::vector<std::string> lines;
    const std::wstring taken = path + L".taken";
    if (!::MoveFileExW(path.c_str(), taken.c_str(), MOVEFILE_REPLACE_EXISTING)) return lines;
    {
        std::ifstream in(std::filesystem::path(taken), std::ios::binary);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
    }
    ::DeleteFileW(taken.c_str());
    return lines;
}

std::wstring StandInLog() { return StatePath("standin.log"); }
}  // namespace

std::string ServiceHost(int portOffset) {
    return "localhost:" + std::to_string(INSTALLER_TEST_SERVICE_PORT + portOffset);
}

std::string ServiceUrl(const std::string& path, int portOffset) {
    return "https://" + ServiceHost(portOffset) + path;
}

void SetServiceScript(const std::string& json) {
    const std::wstring path = StatePath("script.json");
    const std::wstring temp = path + L".new";
    std::ofstream(std::filesystem::path(temp), std::ios::binary) << json;
    ::MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);  // never read half-written
}

std::string PackageAnswer(const std::string& file) {
    return R"({"status": true, "downloadURL": ")" + ServiceUrl("/files/" + file) + R"("})";
}

std::vector<std::string> TakeRequestLog() { return TakeLines(StatePath("requests.log")); }

std::vector<std::string> TakeRequests() {
    std::vector<std::string> requests;
    for (const std::string& line : TakeRequestLog()) {
        const auto start = line.find("\"line\": \"");
        if (start == std::string::npos) continue;
        const auto end = line.find('"', start + 9);
        requests.push_back(line.substr(start + 9, end - start - 9));
    }
    return requests;
}

std::vector<std::string> TakeProxyLog() { return TakeLines(StatePath("proxy.log")); }

std::vector<std::wstring> TakeStandInStarts() {
    ::SetEnvironmentVariableW(L"INSTALLER_STANDIN_LOG", StandInLog().c_str());
    std::vector<std::wstring> starts;
    for (const std::string& line : TakeLines(StandInLog())) starts.emplace_back(line.begin(), line.end());
    return starts;
}

std::vector<std::wstring> WaitStandInStarts(unsigned long ms) {
    std::vector<std::wstring> starts;
    for (DWORD waited = 0; starts.empty() && waited < ms; waited += 50) {
        ::Sleep(50);
        starts = TakeStandInStarts();
    }
    return starts;
}

void ClearWorkFolder() {
    RemoveTree(WorkFolder());
    TakeStandInStarts();
}

std::vector<std::wstring> JobFolders() {
    std::vector<std::wstring> folders;
    WIN32_FIND_DATAW entry = {};
    HANDLE find = ::FindFirstFileW(WorkFolder(L"job-*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return folders;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) folders.push_back(WorkFolder(entry.cFileName));
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
    return folders;
}

std::wstring StartedPath(const std::wstring& start) { return start.substr(0, start.find(L'|')); }
std::wstring StartedTemp(const std::wstring& start) {
    std::wstring temp = start.substr(start.find_last_of(L'|') + 1);
    if (!temp.empty() && temp.back() == L'\r') temp.pop_back();  // the stand-in writes text lines
    return temp;
}

std::wstring ServiceFile(const std::string& name) { return StatePath("files/" + name); }

std::string ServiceSha256(const std::string& name) {
    std::ifstream sums(std::filesystem::path(StatePath("SHA256SUMS")));
    for (std::string hash, file; sums >> hash >> file;)
        if (file == name) return hash;
    return std::string();
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

namespace {
std::wstring DataFile(const wchar_t* name) { return ProgramFolder() + L"data\\" + name; }
std::vector<std::string> LogLines() {
    std::ifstream log(std::filesystem::path(DataFile(L"WifiAutoInstallSetup.log")));
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    return lines;
}
}  // namespace

CWifiStandIn::CWifiStandIn(unsigned long exitCode, unsigned long runMs, const char* signedAs, bool bindsDriver) {
    // The installer runs a copy from elsewhere: it finds its settings and log here.
    ::SetEnvironmentVariableW(L"INSTALLER_WIFI_STANDIN", DataFile(L"WifiAutoInstallSetup").c_str());
    const std::wstring source = *signedAs ? ServiceFile(signedAs) : ProgramFolder() + L"wifi_setup_standin.exe";
    ::CopyFileW(source.c_str(), DataFile(L"WifiAutoInstallSetup.exe").c_str(), FALSE);
    ::DeleteFileW(DataFile(L"WifiAutoInstallSetup.log").c_str());
    std::ofstream(std::filesystem::path(DataFile(L"WifiAutoInstallSetup.cfg"))) << exitCode << " " << runMs << " " << (bindsDriver ? 1 : 0);
}

void CWifiStandIn::Remove() {
    for (const wchar_t* name : {L"WifiAutoInstallSetup.exe", L"WifiAutoInstallSetup.cfg", L"WifiAutoInstallSetup.log"})
        ::DeleteFileW(DataFile(name).c_str());
}

int CWifiStandIn::Runs() { return static_cast<int>(LogLines().size()); }

}  // namespace test
