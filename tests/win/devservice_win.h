#pragma once
// The tests' side of the local device service: what it should answer, what
// it was asked, and the work folder the workflows use.
#include <string>
#include <vector>

namespace test {

// Host and port of the service with the certificate for "localhost"; +1 a
// certificate for another host, +2 an expired one, +3 from an untrusted CA.
std::string ServiceHost(int portOffset = 0);
std::string ServiceUrl(const std::string& path, int portOffset = 0);

// Replaces the service's script (see tools/devservice/server.py).
void SetServiceScript(const std::string& json);
// A JSON answer of the device service pointing at a package file it serves.
std::string PackageAnswer(const std::string& file);
// Request lines received so far, and forgets them.
std::vector<std::string> TakeRequests();
// The same as the service logged them: one JSON line each, headers included.
std::vector<std::string> TakeRequestLog();

// Lines the stand-in installers wrote (path|command line), and forgets them.
std::vector<std::wstring> TakeStandInStarts();
// What reached the test proxies since the last call: one JSON line per
// request, its request line and whether it carried credentials.
std::vector<std::string> TakeProxyLog();

// Waits up to ms for the first stand-in start(s) and takes them.
std::vector<std::wstring> WaitStandInStarts(unsigned long ms);

// Empties the work folder (C:\ProgramData\MRL7300).
void ClearWorkFolder();
// The job folders in the work folder, in listing order.
std::vector<std::wstring> JobFolders();
// The path of a started stand-in, and the TEMP it was given, from a line of
// TakeStandInStarts.
std::wstring StartedPath(const std::wstring& start);
std::wstring StartedTemp(const std::wstring& start);

std::wstring ServiceFile(const std::string& name);  // a file the service serves
std::string ServiceSha256(const std::string& name);  // of a file the service serves
std::string ReadBytes(const std::wstring& path);
bool Exists(const std::wstring& path);

// The stand-in Wi-Fi setup program in the data folder beside this test
// program, as the product delivers it: it exits with exitCode after runMs and
// logs each run. Removed again when the object goes.
class CWifiStandIn {
public:
    // signedAs: the service's signed copy ("wifi.exe": the vendor's,
    // "wifi_other.exe": someone else's), or "" for an unsigned one.
    // bindsDriver: it binds the test adapter's Wi-Fi driver, as a real driver setup would.
    explicit CWifiStandIn(unsigned long exitCode, unsigned long runMs = 0, const char* signedAs = "wifi.exe",
                          bool bindsDriver = false);
    ~CWifiStandIn() { Remove(); }
    CWifiStandIn(const CWifiStandIn&) = delete;
    CWifiStandIn& operator=(const CWifiStandIn&) = delete;
    static void Remove();
    static int Runs();
};

}  // namespace test
