#include "sys/debugger_log_win.h"

#include <windows.h>

namespace sys {

namespace {
class CDebuggerLog : public ILogSink {
public:
    void Write(const std::wstring& line) override {
        ::OutputDebugStringW((line.empty() || line.back() != L'\n' ? line + L"\n" : line).c_str());
    }
};
}  // namespace

ILogSink& DebuggerLog() {
    static CDebuggerLog log;
    return log;
}

}  // namespace sys
