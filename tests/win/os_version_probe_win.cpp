// Exits with the OS class that a fresh thread of this process reads through
// WMI, or 100 + the class when that thread's COM was left initialised.
#include <windows.h>
#include <objbase.h>

#include <thread>

#include "sys/os_version.h"

int main() {
    int code = -1;
    std::thread([&code] {
        code = QueryOsVersion();
        // COM undone by the query: this thread can still choose any apartment.
        const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (hr != S_OK) code += 100;
        if (SUCCEEDED(hr)) ::CoUninitialize();
    }).join();
    return code;
}
