// Exits with the Windows version (its place in WindowsVersion) that a fresh
// thread of this process reads through WMI, or 100 + that when the thread's
// COM was left initialised.
#include <windows.h>
#include <objbase.h>

#include <thread>

#include "sys/os_version.h"

int main() {
    int code = -1;
    std::thread([&code] {
        std::wstring version;
        code = static_cast<int>(QueryOsVersion(version));
        // COM undone by the query: this thread can still choose any apartment.
        const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (hr != S_OK) code += 100;
        if (SUCCEEDED(hr)) ::CoUninitialize();
    }).join();
    return code;
}
