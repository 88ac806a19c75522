#include "test_adapter_win.h"

#include <windows.h>

#include "build_settings.h"

namespace adapter {

const wchar_t* const kWifiVersion = L"2024.3.1.7";
const wchar_t* const kBluetoothVersion = L"1.2.0.40";

namespace {

constexpr wchar_t kInstance[] = L"\\7&7300&0&0000";

struct FunctionKeys {
    std::wstring id, classGuid, driverIndex;
    const wchar_t* version;
};

std::wstring Wide(const char* text) { return std::wstring(text, text + strlen(text)); }

// The build's first ID of the function, without what follows a "|".
FunctionKeys KeysOf(Function function) {
    const bool wifi = function == Function::Wifi;
    std::wstring id = Wide(build::kDeviceIds[wifi ? 0 : 1]);
    id = id.substr(0, id.find(L'|'));
    return {id, wifi ? L"{4d36e972-e325-11ce-bfc1-08002be10318}" : L"{e0cbf06c-cd8b-4647-bb8a-263b43f0f974}",
            wifi ? L"7300" : L"7301", wifi ? kWifiVersion : kBluetoothVersion};
}

std::wstring EnumKey(const FunctionKeys& keys) { return L"System\\CurrentControlSet\\Enum\\" + keys.id + kInstance; }
std::wstring ClassKey(const FunctionKeys& keys) {
    return L"System\\CurrentControlSet\\Control\\Class\\" + keys.classGuid + L"\\" + keys.driverIndex;
}

void SetText(HKEY key, const wchar_t* name, const std::wstring& value, DWORD type = REG_SZ) {
    ::RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void PlugFunction(Function function, bool driver) {
    const FunctionKeys keys = KeysOf(function);
    if (keys.id.empty()) return;
    HKEY device = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, EnumKey(keys).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &device,
                          nullptr) != ERROR_SUCCESS)
        return;
    // Windows lists the most specific ID first; the build names the function's plain one.
    const std::wstring revision = keys.id.substr(0, keys.id.rfind(L"&MI_")) + L"&REV_0100" +
                                  keys.id.substr(keys.id.rfind(L"&MI_"));
    std::wstring ids = revision + L'\0' + keys.id + L'\0';
    SetText(device, L"HardwareID", ids, REG_MULTI_SZ);
    SetText(device, L"ClassGUID", keys.classGuid);
    ::RegDeleteValueW(device, L"Driver");
    ::RegCloseKey(device);
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKey(keys).c_str());
    if (driver) InstallDriver(function);
}

}  // namespace

void Plug(bool wifiDriver, bool bluetoothDriver) {
    PlugFunction(Function::Wifi, wifiDriver);
    PlugFunction(Function::Bluetooth, bluetoothDriver);
}

void Unplug() {
    for (Function function : {Function::Wifi, Function::Bluetooth}) {
        const FunctionKeys keys = KeysOf(function);
        if (keys.id.empty()) continue;
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"System\\CurrentControlSet\\Enum\\" + keys.id).c_str());
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKey(keys).c_str());
    }
}

void InstallDriver(Function function) {
    const FunctionKeys keys = KeysOf(function);
    HKEY device = nullptr;
    if (keys.id.empty() ||
        ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, EnumKey(keys).c_str(), 0, KEY_SET_VALUE, &device) != ERROR_SUCCESS)
        return;  // not plugged in: nothing to bind the driver to
    SetText(device, L"Driver", keys.classGuid + L"\\" + keys.driverIndex);
    ::RegCloseKey(device);
    HKEY driver = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, ClassKey(keys).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &driver,
                          nullptr) != ERROR_SUCCESS)
        return;
    SetText(driver, L"DriverVersion", keys.version);
    SetText(driver, L"DriverDate", L"3-1-2024");
    SetText(driver, L"ProviderName", L"Tarnwell");
    ::RegCloseKey(driver);
}

}  // namespace adapter
