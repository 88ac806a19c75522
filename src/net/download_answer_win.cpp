#include "net/download_answer_win.h"

#include <cstdlib>

#include "sys/log.h"
#include "sys/text_util.h"

namespace net {

namespace {

// The validator of an answer, as ResumeValidator takes it.
std::string ValidatorOf(const CGet& get) {
    return ResumeValidator(get.HeaderValue(Header::ETag), get.HeaderValue(Header::LastModified));
}

}  // namespace

std::vector<std::wstring> ResumeHeaders(const CResume& resume) {
    if (resume.received == 0) return {};
    return {L"Range: bytes=" + std::to_wstring(resume.received) + L"-", L"If-Range: " + Widen(resume.validator)};
}

Attempt FileFailed(const char* step, DWORD error) {
    sys::Log(L"Download error : " + ErrorText(nullptr, error) + L" (" + Widen(step) + L")");
    return Attempt{AttemptEnd::NotSaved};
}

Attempt StatusFailure(const CGet& get) {
    Attempt failed{AttemptEnd::Status, get.Status(), ParseRetryAfter(get.HeaderValue(Header::RetryAfter))};
    sys::Log(L"Download error : status " + std::to_wstring(get.Status()));
    return failed;
}

Attempt AcceptAnswer(const CGet& get, CPartialFile& partial, CResume& resume, unsigned long long& total) {
    const DWORD status = get.Status();
    const unsigned long long length = std::strtoull(get.HeaderValue(Header::ContentLength).c_str(), nullptr, 10);
    ContentRange range;
    if (status == 206 && resume.received > 0 && ParseContentRange(get.HeaderValue(Header::ContentRange), range) &&
        ContinuesTheSameFile(resume.validator, resume.total, range, ValidatorOf(get), resume.received)) {
        total = range.total;
        sys::Log(L"resuming at byte " + std::to_wstring(resume.received));
    } else if (status == 200) {
        if (resume.received > 0) sys::Log(L"the server sent the whole file again: starting over");
        if (!partial.StartOver()) return FileFailed("SetEndOfFile", ::GetLastError());
        resume.received = 0;
        resume.validator = ValidatorOf(get);
        resume.total = length;
        resume.ranges = !resume.validator.empty() && length > 0 && get.HeaderValue(Header::AcceptRanges) == "bytes";
        partial.Note(resume.ranges ? resume.validator : std::string(), length);
        total = length;
    } else if (status == 416 && resume.received > 0) {  // no such part (any more): all of it, at once
        sys::Log(L"the server has no part from byte " + std::to_wstring(resume.received) + L": starting over");
        resume = CResume{};
        partial.Note(std::string(), 0);
        if (!partial.StartOver()) return FileFailed("SetEndOfFile", ::GetLastError());
        return Attempt{AttemptEnd::Status, status};
    } else if (status == 206) {  // not the part asked for, or of another version: all of it next time
        resume = CResume{};
        partial.Note(std::string(), 0);
        if (!partial.StartOver()) return FileFailed("SetEndOfFile", ::GetLastError());
        return EndAttempt(AttemptEnd::Dropped, L"a part that was not asked for, or of another version of the file");
    } else {
        return StatusFailure(get);
    }
    if (total > kMaxPackageBytes) return EndAttempt(AttemptEnd::Refused, L"the package is larger than any of ours");
    if (!partial.HasRoomFor(total - resume.received))
        return EndAttempt(AttemptEnd::NotSaved, L"not enough free space for the package");
    return Attempt{};
}

}  // namespace net
