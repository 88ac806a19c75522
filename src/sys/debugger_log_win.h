#pragma once
#include "sys/log.h"

namespace sys {
// The debugger output channel as a sink of the program's lines.
ILogSink& DebuggerLog();
}  // namespace sys
