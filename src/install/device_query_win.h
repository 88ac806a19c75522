#pragma once
// The adapter as SetupAPI lists it: the present devices with one of the
// job's hardware IDs, their driver keys and problem codes. Read only, and
// bounded: the list comes from a thread of its own, waited for at most the
// settings' deviceQueryMs (a driver being installed can hold SetupAPI up).
#include <string>
#include <vector>

#include "install/device_state.h"

DeviceLook LookAtDevicesNow(const std::vector<std::wstring>& ids);
// The same for several jobs' IDs at once, from one list of the devices: a
// look each, in their order.
std::vector<DeviceLook> LookAtDevicesNow(const std::vector<std::vector<std::wstring>>& idsEach);
