#include "sys/log.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "sys/utf8.h"

namespace sys {

namespace {
struct Sinks {
    std::mutex lock;
    std::vector<ILogSink*> all;
};
Sinks& TheSinks() {
    static Sinks sinks;  // ready before any static object logs
    return sinks;
}
}  // namespace

void AddLogSink(ILogSink& sink) {
    Sinks& sinks = TheSinks();
    const std::lock_guard<std::mutex> guard(sinks.lock);
    sinks.all.push_back(&sink);
}

void RemoveLogSink(ILogSink& sink) {
    Sinks& sinks = TheSinks();
    const std::lock_guard<std::mutex> guard(sinks.lock);
    sinks.all.erase(std::remove(sinks.all.begin(), sinks.all.end(), &sink), sinks.all.end());
}

void Log(const std::wstring& text) {
    Sinks& sinks = TheSinks();
    std::vector<ILogSink*> all;
    {
        const std::lock_guard<std::mutex> guard(sinks.lock);
        all = sinks.all;
    }
    for (ILogSink* sink : all) sink->Write(text);
}

void Log(const std::string& utf8) { Log(Utf8ToWide(utf8)); }

}  // namespace sys
