#pragma once
// The one way to say what happened: every line goes to each sink, the run's
// log for the support desk and the debugger output for a developer. Lines
// are for people who look into a run, never shown to the user.
#include <string>

namespace sys {

class ILogSink {
public:
    virtual ~ILogSink() = default;
    virtual void Write(const std::wstring& line) = 0;
};

// Every line from now on goes to sink too, until it is removed; the sink
// must outlive that.
void AddLogSink(ILogSink& sink);
void RemoveLogSink(ILogSink& sink);

void Log(const std::wstring& text);
void Log(const std::string& utf8);

}  // namespace sys
