#include "install/busy_flag.h"

std::atomic<bool> g_wifiBusy{false};
std::atomic<bool> g_bluetoothBusy{false};
std::atomic<bool> g_receiverBusy{false};
std::atomic<bool> g_hotspotBusy{false};
