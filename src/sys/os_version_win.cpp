#include "sys/os_version.h"

#include <windows.h>
#include <wbemidl.h>

#include <atomic>
#include <chrono>
#include <cstdio>

#include "sys/com_win.h"
#include "sys/detached_result.h"
#include "sys/log.h"
#include "sys/settings.h"

namespace {

bool ConnectToCimv2(sys::CComPtr<IWbemLocator>& locator, sys::CComPtr<IWbemServices>& services) {
    if (FAILED(::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWbemLocator, locator.PutVoid())))
        return false;
    sys::CBstr ns(L"ROOT\\CIMV2");
    if (FAILED(locator->ConnectServer(ns.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                      services.Put())))
        return false;
    return SUCCEEDED(::CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE,
                                         nullptr, RPC_C_AUTHN_LEVEL_CALL,
                                         RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE));
}

// A property that is missing or not text leaves value as it was.
void CopyStringProperty(IWbemClassObject* object, const std::wstring& propertyName,
                        std::wstring& value) {
    sys::CVariant property;
    if (FAILED(object->Get(propertyName.c_str(), 0, property.Put(), nullptr, nullptr))) return;
    if (property.Get().vt == VT_BSTR && property.Get().bstrVal)
        value.assign(property.Get().bstrVal, ::SysStringLen(property.Get().bstrVal));
}

}  // namespace

bool QueryWmiProperty(const std::string& className, const std::wstring& propertyName,
                      std::wstring& value) {
    // One query at a time in this process, its apartment included: Wine's WMI
    // crashes now and then when threads of a new process ask at once.
    static std::mutex oneAtATime;
    const std::lock_guard<std::mutex> guard(oneAtATime);
    sys::CComInit com(COINIT_MULTITHREADED);
    if (!com.Usable()) return false;

    char query[100] = {};
    const int length = std::snprintf(query, sizeof query, "SELECT * FROM %s", className.c_str());
    if (length < 0 || length >= static_cast<int>(sizeof query)) return false;

    sys::CComPtr<IWbemLocator> locator;
    sys::CComPtr<IWbemServices> services;
    if (!ConnectToCimv2(locator, services)) return false;

    const std::wstring wideQuery(query, query + length);  // the query text is ASCII
    sys::CBstr language(L"WQL");
    sys::CBstr queryText(wideQuery.c_str());
    sys::CComPtr<IEnumWbemClassObject> enumerator;
    if (FAILED(services->ExecQuery(language.Get(), queryText.Get(),
                                   WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                   enumerator.Put())))
        return false;

    for (;;) {
        sys::CComPtr<IWbemClassObject> object;
        ULONG returned = 0;
        enumerator->Next(WBEM_INFINITE, 1, object.Put(), &returned);
        if (returned == 0 || !object) break;
        CopyStringProperty(object.Get(), propertyName, value);
    }
    return true;
}

namespace {

std::atomic<bool> g_queryStarted{false};

const CDetachedResult<std::wstring>& RunningQuery() {
    static const CDetachedResult<std::wstring> query = [] {
        g_queryStarted = true;
        return CDetachedResult<std::wstring>::Start([] {
            std::wstring version;
            QueryOsVersion(version);
            return version;
        });
    }();
    return query;
}

}  // namespace

WindowsVersion QueryOsVersion(std::wstring& version) {
    // WMI may fail while it is starting up, as when several threads of a new
    // process ask at once: a failed query is tried twice more.
    version.clear();
    for (int attempt = 1; attempt <= 3 && version.empty(); ++attempt) {
        if (attempt > 1) ::Sleep(100);
        if (!QueryWmiProperty("Win32_OperatingSystem", L"Version", version))
            sys::Log(L"the Windows version could not be read from WMI");
    }
    return ClassifyOsVersion(version);
}

void StartWindowsQuery() { RunningQuery(); }

WindowsVersion ThisWindows() {
    static WindowsVersion answer = [] {
        const std::wstring version =
            RunningQuery().WaitFor(std::chrono::milliseconds(g_settings.wmiTimeoutMs)).value_or(std::wstring());
        if (!version.empty()) {
            sys::Log(L"Windows " + version + L" (WMI): " + WindowsName(ClassifyOsVersion(version)));
            return ClassifyOsVersion(version);
        }
        const std::wstring kernel = KernelVersion();
        sys::Log(L"WMI gave no Windows version within " + std::to_wstring(g_settings.wmiTimeoutMs) +
                 L" ms: going by the kernel's, " + kernel + L": " + WindowsName(ClassifyOsVersion(kernel)));
        return ClassifyOsVersion(kernel);
    }();
    return answer;
}

WindowsVersion WindowsSoFar() {
    if (!g_queryStarted) return ClassifyOsVersion(KernelVersion());
    if (!RunningQuery().IfDone()) return ClassifyOsVersion(KernelVersion());
    return ThisWindows();
}

std::wstring KernelVersion(bool details) {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    const auto get = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!get || get(&info) != 0) return std::wstring();
    const std::wstring version = std::to_wstring(info.dwMajorVersion) + L"." + std::to_wstring(info.dwMinorVersion) +
                                 L"." + std::to_wstring(info.dwBuildNumber);
    if (!details) return version;
    return version + (info.szCSDVersion[0] ? L" " + std::wstring(info.szCSDVersion) : L"") +
           (info.wProductType == VER_NT_WORKSTATION ? L", workstation" : L", server");
}
