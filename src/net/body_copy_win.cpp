#include "net/body_copy_win.h"

#include <vector>

#include "sys/settings.h"

namespace net {

namespace {

// Writes what the buffer gathered; resume.received counts only what is on disk.
Attempt SaveGathered(CPartialFile& partial, const std::vector<char>& buffer, DWORD& gathered, CResume& resume) {
    DWORD written = 0;
    const BOOL saved = gathered == 0 || ::WriteFile(partial.File(), buffer.data(), gathered, &written, nullptr);
    resume.received += written;
    if (!saved || written != gathered) return FileFailed("WriteFile", ::GetLastError());
    if (resume.received > kMaxPackageBytes)
        return EndAttempt(AttemptEnd::Refused, L"the package grew larger than any of ours");
    gathered = 0;
    return Attempt{};
}

}  // namespace

CRateWatch NewRateWatch() { return CRateWatch(g_settings.slowWindowMs, g_settings.minBytesPerSecond); }

Attempt TooSlow() { return EndAttempt(AttemptEnd::TooSlow, L"the server sent too little for too long"); }

Attempt CopyBody(CGet& get, CPartialFile& partial, CResume& resume, unsigned long long total,
                 CProgressReporter& progress) {
    // Reads come a few KiB at a time; they gather here and go to disk a buffer
    // at a time, as a write per read showed in the throughput.
    std::vector<char> buffer(256 * 1024);
    CRateWatch rate = NewRateWatch();
    rate.TooSlow(::GetTickCount64(), resume.received);
    DWORD gathered = 0;
    for (;;) {
        DWORD got = 0;
        const Attempt read = get.ReadSome(buffer.data() + gathered, static_cast<DWORD>(buffer.size()) - gathered, got);
        if (read.end != AttemptEnd::Done) {
            SaveGathered(partial, buffer, gathered, resume);  // what came may be resumed from
            return read;
        }
        gathered += got;
        if (rate.TooSlow(::GetTickCount64(), resume.received + gathered)) {
            SaveGathered(partial, buffer, gathered, resume);
            return TooSlow();
        }
        if (got != 0) progress.Report(::GetTickCount64(), resume.received + gathered, total);  // a slow line's bar moves too
        if (got != 0 && gathered < buffer.size()) continue;
        const Attempt saved = SaveGathered(partial, buffer, gathered, resume);
        if (saved.end != AttemptEnd::Done) return saved;
        if (got == 0) break;
    }
    if (total != 0 && resume.received < total) return EndAttempt(AttemptEnd::Dropped, L"fewer bytes arrived than announced");
    return Attempt{};
}

}  // namespace net
