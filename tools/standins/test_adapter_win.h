#pragma once
// The made-up adapter of the test and demo prefixes, in the registry keys
// Wine's SetupAPI lists: its two functions (the build's INSTALLER_DEVICE_IDS_WIFI
// and _BLUETOOTH), each with or without its driver key.
#include <string>

namespace adapter {

enum class Function { Wifi, Bluetooth };

// The adapter plugged in (or unplugged: its device keys gone), and whether each function has its driver.
void Plug(bool wifiDriver, bool bluetoothDriver);
void Unplug();
// What a driver's setup does: the function's driver key, where the function is plugged in.
void InstallDriver(Function function);

// The versions the driver keys name.
extern const wchar_t* const kWifiVersion;
extern const wchar_t* const kBluetoothVersion;

}  // namespace adapter
