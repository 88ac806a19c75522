#pragma once
// What the Windows tests need of their Wine prefix and of the file system.
#include <string>
#include <vector>

#include "sys/held_folder_win.h"
#include "sys/work_folder_win.h"

namespace test {

// Sets the prefix's HKCU\Software\Wine value "Version" (winxp64, vista, win7,
// win8, win81, win10) for processes started from now on; empty removes it.
// Returns the value it replaced.
std::wstring SetWineWindowsVersion(const std::wstring& version);

// Restores the Windows version when it goes out of scope.
class CWindowsVersionScope {
public:
    explicit CWindowsVersionScope(const std::wstring& version)
        : m_previous(SetWineWindowsVersion(version)) {}
    ~CWindowsVersionScope() { SetWineWindowsVersion(m_previous); }
    CWindowsVersionScope(const CWindowsVersionScope&) = delete;
    CWindowsVersionScope& operator=(const CWindowsVersionScope&) = delete;
private:
    std::wstring m_previous;
};

// The made-up adapter in a state for a while; then plugged in with both
// drivers again, as every test finds it.
enum class Adapter { Unplugged, Plugged, WifiDriverOnly, Drivers };
class CAdapterScope {
public:
    explicit CAdapterScope(Adapter state);
    ~CAdapterScope();
    CAdapterScope(const CAdapterScope&) = delete;
    CAdapterScope& operator=(const CAdapterScope&) = delete;
};

// Starts a program with the given command line, waits for it and gives its
// exit code, or -1 when it could not be started.
long RunAndWait(const std::wstring& commandLine);

// The Windows path (drive Z:) of a path on the machine that runs Wine.
std::wstring HostPath(const std::string& unixPath);

// Folder of the running test program, ending in a backslash.
std::wstring ProgramFolder();

// A fresh empty folder under the temporary folder (or under, ending in a
// backslash), removed with its content when the object goes.
class CTempFolder {
public:
    explicit CTempFolder(const std::wstring& name, const std::wstring& under = L"");
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;
    const std::wstring& Path() const { return m_path; }
    std::wstring Make(const std::wstring& relative, bool folder) const;  // creates, returns path
private:
    std::wstring m_path;
};

// The names in a folder, "." and ".." left out.
std::vector<std::wstring> Names(const std::wstring& folder);

// Removes a file or a folder with everything in it; links are removed, never followed.
inline bool RemoveTree(const std::wstring& path) { return sys::RemovePath(path); }

// The program's work folder, held for a moment, joined with name: for looking.
inline std::wstring WorkFolder(const std::wstring& name = L"") {
    const sys::CHeldFolder work = sys::GetWorkFolder();
    return name.empty() ? work.Path() : work.PathOf(name);
}

// A symbolic link at link to target, made on the machine that runs Wine
// (Wine itself makes none), removed when the object goes (Wine cannot remove
// one through a handle either): Wine follows it as Windows follows a
// junction or a mount point.
class CHostLink {
public:
    CHostLink(const std::wstring& target, const std::wstring& link);
    ~CHostLink();
    CHostLink(const CHostLink&) = delete;
    CHostLink& operator=(const CHostLink&) = delete;
    bool Made() const { return m_made; }
private:
    std::wstring m_link;
    bool m_made;
};

// Replaces the access list of a file or folder: everyone may do everything
// (under Wine: the mode bits say so).
bool LetEveryoneWrite(const std::wstring& path);

// Drive A:, which the test prefix maps as a removable drive (scripts/lib.sh).
inline const wchar_t kRemovableDrive[] = L"A:\\";

// The machine's policy naming root as a trusted place for offline layouts,
// while the object lives.
class CLayoutPolicy {
public:
    explicit CLayoutPolicy(const std::wstring& root);
    ~CLayoutPolicy();
    CLayoutPolicy(const CLayoutPolicy&) = delete;
    CLayoutPolicy& operator=(const CLayoutPolicy&) = delete;
private:
    static constexpr wchar_t kKey[] = L"SOFTWARE\\Policies\\Tarnwell\\MRL7300";
};

// The system proxy that WinINet reads from the registry ("host:port"), for
// processes and sessions started while the object lives.
class CSystemProxy {
public:
    explicit CSystemProxy(const std::wstring& server) { Set(1, server); }
    ~CSystemProxy() { Set(0, L""); }
    CSystemProxy(const CSystemProxy&) = delete;
    CSystemProxy& operator=(const CSystemProxy&) = delete;
private:
    static void Set(unsigned long enable, const std::wstring& server);
};

// This user's Internet Options naming a proxy script (WinHTTP reads them from
// Connections\\DefaultConnectionSettings), while the object lives.
class CUserProxyScript {
public:
    explicit CUserProxyScript(const std::string& url) { Set(url); }
    ~CUserProxyScript() { Set(""); }
    CUserProxyScript(const CUserProxyScript&) = delete;
    CUserProxyScript& operator=(const CUserProxyScript&) = delete;
private:
    static void Set(const std::string& url);
};

// The machine's WinHTTP proxy ("netsh winhttp set proxy host:port"), as
// WinHTTP reads it from HKLM (WinHttpSettings), while the object lives.
class CMachineProxy {
public:
    explicit CMachineProxy(const std::string& server) { Set(server); }
    ~CMachineProxy() { Set(""); }
    CMachineProxy(const CMachineProxy&) = delete;
    CMachineProxy& operator=(const CMachineProxy&) = delete;
private:
    static void Set(const std::string& server);
};

// Wine's own DLLs win over files for the program named program while the
// object lives ("native,builtin" in the prefix's per-program overrides):
// then only the folders searched decide, as on Windows.
class CPreferFilesFor {
public:
    CPreferFilesFor(const wchar_t* program, const std::vector<const wchar_t*>& dlls);
    ~CPreferFilesFor();
    CPreferFilesFor(const CPreferFilesFor&) = delete;
    CPreferFilesFor& operator=(const CPreferFilesFor&) = delete;
private:
    std::wstring m_key;
};

}  // namespace test
