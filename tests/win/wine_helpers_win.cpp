#include "wine_helpers_win.h"

#include "test_adapter_win.h"

#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <functional>
#include <vector>

#include "sys/handle_win.h"
#include "sys/log.h"
#include "sys/utf8.h"

namespace test {

namespace {
// The program's log goes to the test's error output: what a failure took place in.
struct CLogToErrorOutput : sys::ILogSink {
    CLogToErrorOutput() { sys::AddLogSink(*this); }
    ~CLogToErrorOutput() override { sys::RemoveLogSink(*this); }
    void Write(const std::wstring& line) override { std::fprintf(stderr, "  log: %s\n", WideToUtf8(line).c_str()); }
} g_logToErrorOutput;

struct CRegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY key) { ::RegCloseKey(key); }
};
using CRegKey = sys::CUniqueHandle<CRegKeyTraits, HKEY>;
}  // namespace

std::wstring SetWineWindowsVersion(const std::wstring& version) {
    HKEY raw = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine", 0, nullptr, 0, KEY_ALL_ACCESS,
                          nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return std::wstring();
    CRegKey key(raw);
    wchar_t previous[64] = {};
    DWORD size = sizeof previous - sizeof(wchar_t);
    DWORD type = 0;
    if (::RegQueryValueExW(key.Get(), L"Version", nullptr, &type,
                           reinterpret_cast<BYTE*>(previous), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        previous[0] = L'\0';
    if (version.empty()) {
        ::RegDeleteValueW(key.Get(), L"Version");
    } else {
        ::RegSetValueExW(key.Get(), L"Version", 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(version.c_str()),
                         static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t)));
    }
    return previous;
}

CAdapterScope::CAdapterScope(Adapter state) {
    adapter::Unplug();
    if (state != Adapter::Unplugged) adapter::Plug(state != Adapter::Plugged, state == Adapter::Drivers);
}

CAdapterScope::~CAdapterScope() { adapter::Plug(true, true); }

long RunAndWait(const std::wstring& commandLine) {
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info))
        return -1;
    const sys::CProcessHandles started(info);
    const HANDLE process = started.process.Get();
    ::WaitForSingleObject(process, INFINITE);
    DWORD code = 0;
    if (!::GetExitCodeProcess(process, &code)) return -1;
    return static_cast<long>(code);
}

std::wstring HostPath(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return path;
}

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring full(path);
    return full.substr(0, full.find_last_of(L'\\') + 1);
}

CTempFolder::CTempFolder(const std::wstring& name, const std::wstring& under) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    m_path = (under.empty() ? std::wstring(temp) : under) + name + L"-" + std::to_wstring(::GetCurrentProcessId());
    RemoveTree(m_path);
    ::CreateDirectoryW(m_path.c_str(), nullptr);
}

CTempFolder::~CTempFolder() { RemoveTree(m_path); }

std::wstring CTempFolder::Make(const std::wstring& relative, bool folder) const {
    const std::wstring path = m_path + L"\\" + relative;
    if (folder) {
        ::CreateDirectoryW(path.c_str(), nullptr);
    } else {
        sys::CFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    return path;
}

CPreferFilesFor::CPreferFilesFor(const wchar_t* program, const std::vector<const wchar_t*>& dlls)
    : m_key(std::wstring(L"Software\\Wine\\AppDefaults\\") + program + L"\\DllOverrides") {
    HKEY raw = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, m_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr) !=
        ERROR_SUCCESS)
        return;
    const CRegKey key(raw);
    const std::wstring order = L"native,builtin";
    for (const wchar_t* dll : dlls)
        ::RegSetValueExW(key.Get(), dll, 0, REG_SZ, reinterpret_cast<const BYTE*>(order.c_str()),
                         static_cast<DWORD>((order.size() + 1) * sizeof(wchar_t)));
}

CPreferFilesFor::~CPreferFilesFor() { ::RegDeleteTreeW(HKEY_CURRENT_USER, m_key.c_str()); }

void CSystemProxy::Set(unsigned long enable, const std::wstring& server) {
    HKEY raw = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", 0,
                          nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return;
    const CRegKey key(raw);
    const DWORD value = enable;
    ::RegSetValueExW(key.Get(), L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    if (server.empty())
        ::RegDeleteValueW(key.Get(), L"ProxyServer");
    else
        ::RegSetValueExW(key.Get(), L"ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                         static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t)));
}

void CUserProxyScript::Set(const std::string& url) {
    HKEY raw = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER,
                          L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections", 0, nullptr, 0,
                          KEY_SET_VALUE, nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return;
    const CRegKey key(raw);
    if (url.empty()) {
        ::RegDeleteValueW(key.Get(), L"DefaultConnectionSettings");
        return;
    }
    // WinINet's layout: a header (0x46, a counter, the flags: 4 = use the
    // script), then the proxy, its bypass list and the script's address, each
    // an ANSI text after its length.
    const DWORD head[] = {0x46, 0, 4, 0, 0, static_cast<DWORD>(url.size())};
    std::string value(reinterpret_cast<const char*>(head), sizeof head);
    value += url + std::string(32, '\0');
    ::RegSetValueExW(key.Get(), L"DefaultConnectionSettings", 0, REG_BINARY, reinterpret_cast<const BYTE*>(value.data()),
                     static_cast<DWORD>(value.size()));
}

void CMachineProxy::Set(const std::string& server) {
    HKEY raw = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE,
                          L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections", 0, nullptr, 0,
                          KEY_SET_VALUE, nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return;
    const CRegKey key(raw);
    if (server.empty()) {
        ::RegDeleteValueW(key.Get(), L"WinHttpSettings");
        return;
    }
    // Its header, a counter, "a proxy is set", then the proxy and the bypass list, each after its length.
    std::vector<BYTE> value;
    const auto add = [&value](DWORD number) {
        const BYTE* bytes = reinterpret_cast<const BYTE*>(&number);
        value.insert(value.end(), bytes, bytes + sizeof number);
    };
    add(0x18);
    add(0);
    add(3);
    add(static_cast<DWORD>(server.size()));
    value.insert(value.end(), server.begin(), server.end());
    add(0);
    ::RegSetValueExW(key.Get(), L"WinHttpSettings", 0, REG_BINARY, value.data(), static_cast<DWORD>(value.size()));
}

namespace {
// The path on the machine that runs Wine, as Wine's own kernel32 tells it.
std::string UnixPath(const std::wstring& path) {
    using Fn = char*(__cdecl*)(const wchar_t*);
    const auto unixName = reinterpret_cast<Fn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unixName ? unixName(path.c_str()) : nullptr;
    if (!name) return std::string();
    std::string result = name;
    ::HeapFree(::GetProcessHeap(), 0, name);
    return result;
}

// Starts a program of the machine that runs Wine; Wine gives no handle to
// wait on, so done() says when it has done its work.
bool RunHostProgram(const wchar_t* program, std::wstring commandLine, const std::function<bool()>& done) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, L"Z:\\", &startup, &info))
        return false;
    if (info.hThread) ::CloseHandle(info.hThread);
    if (info.hProcess) ::CloseHandle(info.hProcess);
    for (int waited = 0; waited < 10000; waited += 10) {
        if (done()) return true;
        ::Sleep(10);
    }
    return false;
}

std::wstring Quoted(const std::string& text) { return L"\"" + std::wstring(text.begin(), text.end()) + L"\""; }

}  // namespace

CHostLink::CHostLink(const std::wstring& target, const std::wstring& link) : m_link(link) {
    const std::string from = UnixPath(target), to = UnixPath(link);
    m_made = !from.empty() && !to.empty() &&
             RunHostProgram(L"Z:\\bin\\ln", L"ln -s " + Quoted(from) + L" " + Quoted(to),
                            [&] { return ::GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

CHostLink::~CHostLink() {
    const std::string path = UnixPath(m_link);
    if (m_made && !path.empty())
        RunHostProgram(L"Z:\\bin\\rm", L"rm -f " + Quoted(path), [&] {
            return ::GetFileAttributesW(m_link.c_str()) == INVALID_FILE_ATTRIBUTES;
        });
}

bool LetEveryoneWrite(const std::wstring& path) {
    sys::CLocalMemory descriptor;
    return ::ConvertStringSecurityDescriptorToSecurityDescriptorW(
               L"D:(A;OICI;FA;;;WD)", SDDL_REVISION_1, reinterpret_cast<PSECURITY_DESCRIPTOR*>(descriptor.Put()),
               nullptr) &&
           ::SetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.Get());
}

std::vector<std::wstring> Names(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry = {};
    sys::CFindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &entry));
    if (!find.Valid()) return names;
    do {
        if (std::wstring(entry.cFileName) != L"." && std::wstring(entry.cFileName) != L"..") names.push_back(entry.cFileName);
    } while (::FindNextFileW(find.Get(), &entry));
    return names;
}

CLayoutPolicy::CLayoutPolicy(const std::wstring& root) {
    HKEY raw = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &raw,
                          nullptr) != ERROR_SUCCESS)
        return;
    const CRegKey key(raw);
    const std::wstring roots = root + L'\0';
    ::RegSetValueExW(key.Get(), L"TrustedLayoutRoots", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(roots.c_str()),
                     static_cast<DWORD>((roots.size() + 1) * sizeof(wchar_t)));
}

CLayoutPolicy::~CLayoutPolicy() { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Policies\\Tarnwell"); }

}  // namespace test
