#pragma once
// Where a held folder lies (sys/volume_trust.h), as the volume, the storage
// device and the machine's policy tell it.
#include <windows.h>

#include <string>
#include <vector>

#include "sys/volume_trust.h"

namespace sys {

// The facts of the volume the folder open as handle lies on.
VolumeFacts ReadVolumeFacts(HANDLE folder);

// The places the machine's policy names as trusted for offline layouts: the
// strings of HKLM\SOFTWARE\Policies\Tarnwell\MRL7300, value
// TrustedLayoutRoots, taken only while nobody but the administrators can
// change that key.
std::vector<std::wstring> PolicyLayoutRoots();

// Why the folder's own security proves nothing where it lies, for the log;
// empty when it does (sys/volume_trust.h).
std::string LayoutLocationDistrust(HANDLE folder);

}  // namespace sys
