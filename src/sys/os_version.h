#pragma once
#include <string>
#include <vector>

// The Windows releases the program tells apart, in the order they came out.
// Unknown: the version could not be read or is none of these.
enum class WindowsVersion { Unknown, Nt4, Win2000, Xp, XpX64OrServer2003, Vista, Win7, Win8, Win81, Win10 };

// True when version is known and at least minimum.
inline bool AtLeast(WindowsVersion version, WindowsVersion minimum) {
    return version != WindowsVersion::Unknown && version >= minimum;
}

// "Windows 7", "Windows 10 or later", ...: for the log.
const wchar_t* WindowsName(WindowsVersion version);

// Splits like a getline loop with '.' as delimiter: no trailing empty part.
std::vector<std::wstring> SplitVersionComponents(const std::wstring& version);

// By the first two components of a version such as "6.1.7601". A version
// newer than Windows 10's ("10.1", "11.0") counts as the newest known, so
// that a new Windows is offered what Windows 10 is.
WindowsVersion ClassifyOsVersion(const std::wstring& version);

// Reads Win32_OperatingSystem.Version through WMI into version and
// classifies it; Unknown when the query fails (tried three times: WMI fails
// while it starts). Initialises and undoes COM on the calling thread. The
// program asks it once, on a thread of its own (ThisWindows below).
WindowsVersion QueryOsVersion(std::wstring& version);

// The Windows the program goes by, decided once per process: WMI's answer if
// it comes within the settings' wmiTimeoutMs, else the kernel's own. WMI
// starts on demand (seconds on Windows 7) and its repository breaks: a
// missing answer must neither hide the Bluetooth command nor ask for the
// wrong package. StartWindowsQuery() sets the query going early on a thread
// of its own, so that the window waits for it as little as possible.
void StartWindowsQuery();
WindowsVersion ThisWindows();
// ThisWindows() once WMI has answered; until then, without waiting or
// starting the query, the kernel's version (the same but where WMI is
// broken or the prefix odd).
WindowsVersion WindowsSoFar();

// "10.0.19045" as the kernel reports it (RtlGetVersion), whatever the
// program's manifest says; empty when it cannot be read. With details, for
// the log: "6.1.7601 Service Pack 1, workstation".
std::wstring KernelVersion(bool details = false);

// Reads one string property of every instance of a WMI class on this machine;
// value holds the last instance's text. False when COM, the connection, the
// proxy security or the query failed.
bool QueryWmiProperty(const std::string& className, const std::wstring& propertyName,
                      std::wstring& value);
