// A package's download: attempts with resume into the kept partial file,
// the finished file moved into place only when it arrived whole.
#include "net/body_copy_win.h"
#include "net/http.h"
#include "net/with_retries_win.h"
#include "sys/log.h"
#include "sys/settings.h"
#include "sys/text_util.h"

namespace {

using net::CResume;

NetResult NotSaved(const char* step) {
    sys::Log(L"Download error : " + net::ErrorText(nullptr, ::GetLastError()) + L" (" + Widen(step) + L")");
    return NetResult::NotSaved;
}

Attempt DownloadAttempt(const std::wstring& url, net::CPartialFile& partial, CResume& resume,
                        CProgressReporter& progress, const CCancelToken* cancel) {
    if (resume.received > 0 && !resume.ranges) {  // nothing to resume from: start over
        resume.received = 0;
        if (!partial.StartOver()) return net::FileFailed("SetEndOfFile", ::GetLastError());
    }
    net::CGet get;
    unsigned long long total = 0;
    for (bool askedWhole = false;;) {
        const bool ranged = resume.received > 0;
        const Attempt sent =
            get.Open(url, {kConnectTimeoutMs, g_settings.transferStallMs, net::ResumeHeaders(resume), cancel});
        if (sent.end != AttemptEnd::Done) return sent;
        const Attempt accepted = net::AcceptAnswer(get, partial, resume, total);
        if (accepted.end == AttemptEnd::Done) break;
        // A part the server cannot give (416) is asked for whole, once, at once.
        if (askedWhole || !ranged || accepted.end != AttemptEnd::Status || accepted.status != 416) return accepted;
        askedWhole = true;
    }
    Attempt copied = net::CopyBody(get, partial, resume, total, progress);
    if (copied.end == AttemptEnd::Done) copied.status = get.Status();
    return copied;
}

}  // namespace

NetResult DownloadFile(const std::wstring& url, const std::wstring& path, const TransferProgressFn& progress,
                       const CCancelToken* cancel) {
    net::CPartialFile partial(url, path);
    // A file that cannot be written is this PC's trouble, never the connection's.
    if (!partial.Valid()) return NotSaved("CreateFile");
    CResume resume;
    if (const PartialDownload* earlier = partial.Earlier()) {
        resume = {partial.Size(), earlier->validator, earlier->total, true};
        sys::Log(L"an earlier download of " + url + L" left " + std::to_wstring(resume.received) + L" of " +
                 std::to_wstring(resume.total) + L" bytes: continuing it");
    }
    CProgressReporter reporter(progress);
    if (resume.received > 0 && resume.received == resume.total) {
        // Every byte came before an earlier run could move it: nothing to ask for; its proof follows.
        sys::Log(L"the earlier download of " + url + L" is complete: taken without asking again");
        reporter.Report(::GetTickCount64(), resume.received, resume.total);
    } else {
        const Attempt last = net::WithRetries(
            url, [&] { return DownloadAttempt(url, partial, resume, reporter, cancel); },
            [&] { return resume.received; }, cancel);
        if (last.end != AttemptEnd::Done) return ResultOf(last);
    }
    reporter.Finish(::GetTickCount64());
    if (!partial.MoveTo(path)) return NotSaved("MoveFileEx");
    return NetResult::Ok;
}
