#pragma once
// The adapter as SetupAPI lists it: the present devices with one of the
// job's hardware IDs, their driver keys and problem codes. Read only, and
// bounded: the list comes from a thread of its own, waited for at most the
// settings' deviceQueryMs (a driver being installed can hold SetupAPI up).
#include <string>
#include <vector>

#include "install/device_state.h"

DeviceLook LookAtDevicesNow(const std::vector<std::wstring>& ids);
