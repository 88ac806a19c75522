#include "sys/busy_retry_win.h"
#include "sys/log.h"
#include "sys/text_util.h"
#include "net/http.h"

#include <cstdio>
#include <functional>
#include <random>
#include <vector>

#include "net/device_service.h"
#include "net/request_win.h"
#include "sys/handle_win.h"
#include "sys/platform.h"
#include "sys/settings.h"

namespace {

using net::CGet;

Attempt StatusFailure(const net::IAnswer& answer, DWORD status) {
    Attempt failed{AttemptEnd::Status, status, ParseRetryAfter(answer.HeaderValue(net::Header::RetryAfter))};
    sys::Log(L"Download error : status " + std::to_wstring(status));
    return failed;
}

// What an attempt came to, for the log.
std::wstring Outcome(const Attempt& attempt, unsigned long long bytes, DWORD startTick) {
    const std::wstring how = attempt.end == AttemptEnd::Status || (attempt.end == AttemptEnd::Done && attempt.status)
                                 ? L"HTTP " + std::to_wstring(attempt.status)
                                 : Widen(EndName(attempt.end));
    return how + L", " + std::to_wstring(bytes) + L" bytes in " + std::to_wstring(::GetTickCount() - startTick) +
           L" ms";
}

// Runs attempt up to kMaxAttempts times while what failed is worth another
// try, waiting between them; the last attempt's end. Each attempt is logged
// with the bytes it left (received()).
template <class AttemptFn>
Attempt WithRetries(const std::wstring& url, AttemptFn attempt, const std::function<unsigned long long()>& received) {
    static thread_local std::minstd_rand jitter(std::random_device{}());
    for (int made = 1;; ++made) {
        const DWORD start = ::GetTickCount();
        const Attempt last = attempt();
        sys::Log(L"GET " + url + L": " + Outcome(last, received(), start));
        if (last.end == AttemptEnd::Done || made == kMaxAttempts || !ShouldRetry(last)) return last;
        const unsigned long wait = RetryWaitMs(last, made, jitter());
        sys::Log(L"trying " + url + L" again in " + std::to_wstring(wait) + L" ms");
        ::Sleep(wait);
    }
}

// How much of the package the temporary file holds, and whether the server
// lets the next attempt ask for only the rest.
struct CResume {
    unsigned long long received = 0;
    std::string validator;        // strong ETag, else Last-Modified, of the answer the bytes came from
    unsigned long long total = 0;  // the whole file's length as that answer announced it
    bool ranges = false;
};

// The validator of an answer, as ResumeValidator takes it.
std::string ValidatorOf(const net::IAnswer& answer) {
    return ResumeValidator(answer.HeaderValue(net::Header::ETag), answer.HeaderValue(net::Header::LastModified));
}

// A local file's step that failed: never the connection's.
Attempt FileFailed(const char* step, DWORD error) {
    sys::Log(L"Download error : " + net::ErrorText(nullptr, error) + L" (" + Widen(step) + L")");
    return Attempt{AttemptEnd::NotSaved};
}

// Deletes its file unless kept: a partial download never stays behind.
class CTempFile {
public:
    explicit CTempFile(const std::wstring& finalPath) : m_folder(FolderOf(finalPath)) {
        wchar_t name[MAX_PATH] = {};
        if (::GetTempFileNameW(m_folder.c_str(), L"dl", 0, name)) m_path = name;
        // Shared for reading: a virus scanner may look at it while it grows.
        if (!m_path.empty())
            sys::RetryWhileBusy([&] {
                m_file.Reset(::CreateFileW(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
                return m_file.Valid();
            });
    }
    ~CTempFile() {
        m_file.Reset();
        if (!m_path.empty()) ::DeleteFileW(m_path.c_str());
    }
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;
    bool Valid() const { return m_file.Valid(); }
    HANDLE File() const { return m_file.Get(); }
    bool StartOver() {
        LARGE_INTEGER zero = {};
        return ::SetFilePointerEx(m_file.Get(), zero, nullptr, FILE_BEGIN) && ::SetEndOfFile(m_file.Get());
    }
    bool HasRoomFor(unsigned long long bytes) const {
        ULARGE_INTEGER available = {};
        return !::GetDiskFreeSpaceExW(m_folder.c_str(), &available, nullptr, nullptr) || bytes <= available.QuadPart;
    }
    bool MoveTo(const std::wstring& path) {
        m_file.Reset();
        if (!sys::RetryWhileBusy([&] { return ::MoveFileExW(m_path.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING); }))
            return false;
        m_path.clear();
        return true;
    }

private:
    std::wstring m_folder, m_path;
    sys::CFileHandle m_file;
};

NetResult NotSaved(const char* step) {
    sys::Log(L"Download error : " + net::ErrorText(nullptr, ::GetLastError()) + L" (" + Widen(step) + L")");
    return NetResult::NotSaved;
}

std::vector<std::wstring> ResumeHeaders(const CResume& resume) {
    if (resume.received == 0) return {};
    return {L"Range: bytes=" + std::to_wstring(resume.received) + L"-", L"If-Range: " + Widen(resume.validator)};
}

// Checks the answer of one attempt and sets where its bytes go; the size of
// the whole package, 0 when not announced.
Attempt AcceptAnswer(const net::IAnswer& answer, CTempFile& temp, CResume& resume, unsigned long long& total) {
    const DWORD status = answer.Status();
    const unsigned long long length =
        std::strtoull(answer.HeaderValue(net::Header::ContentLength).c_str(), nullptr, 10);
    ContentRange range;
    if (status == 206 && resume.received > 0 &&
        ParseContentRange(answer.HeaderValue(net::Header::ContentRange), range) &&
        ContinuesTheSameFile(resume.validator, resume.total, range, ValidatorOf(answer), resume.received)) {
        total = range.total;
        sys::Log(L"resuming at byte " + std::to_wstring(resume.received));
    } else if (status == 200) {
        if (resume.received > 0) sys::Log(L"the server sent the whole file again: starting over");
        if (!temp.StartOver()) return FileFailed("SetEndOfFile", ::GetLastError());
        resume.received = 0;
        resume.validator = ValidatorOf(answer);
        resume.total = length;
        resume.ranges = !resume.validator.empty() && length > 0 &&
                        answer.HeaderValue(net::Header::AcceptRanges) == "bytes";
        total = length;
    } else if (status == 206) {  // not the part asked for, or of another version: all of it next time
        resume = CResume{};
        if (!temp.StartOver()) return FileFailed("SetEndOfFile", ::GetLastError());
        return net::Refusal(AttemptEnd::Dropped, L"a part that was not asked for, or of another version of the file");
    } else {
        return StatusFailure(answer, status);
    }
    if (total > kMaxPackageBytes) return net::Refusal(AttemptEnd::Refused, L"the package is larger than any of ours");
    if (!temp.HasRoomFor(total - resume.received))
        return net::Refusal(AttemptEnd::NotSaved, L"not enough free space for the package");
    return Attempt{};
}

CRateWatch NewRateWatch() { return CRateWatch(g_settings.slowWindowMs, g_settings.minBytesPerSecond); }

Attempt TooSlow() { return net::Refusal(AttemptEnd::TooSlow, L"the server sent too little for too long"); }

// Writes what the buffer gathered; resume.received counts only what is on disk.
Attempt SaveGathered(CTempFile& temp, const std::vector<char>& buffer, DWORD& gathered, CResume& resume) {
    DWORD written = 0;
    const BOOL saved = gathered == 0 || ::WriteFile(temp.File(), buffer.data(), gathered, &written, nullptr);
    resume.received += written;
    if (!saved || written != gathered) return FileFailed("WriteFile", ::GetLastError());
    if (resume.received > kMaxPackageBytes)
        return net::Refusal(AttemptEnd::Refused, L"the package grew larger than any of ours");
    gathered = 0;
    return Attempt{};
}

Attempt CopyBody(const net::CGet& get, CTempFile& temp, CResume& resume, unsigned long long total,
                 CPercentReporter& progress) {
    // Reads come a few KiB at a time; they gather here and go to disk a buffer
    // at a time, as a write per read showed in the throughput.
    std::vector<char> buffer(256 * 1024);
    CRateWatch rate = NewRateWatch();
    rate.TooSlow(::GetTickCount64(), resume.received);
    DWORD gathered = 0;
    for (;;) {
        DWORD got = 0;
        if (!get.answer->ReadSome(buffer.data() + gathered, static_cast<DWORD>(buffer.size()) - gathered, got)) {
            const DWORD error = ::GetLastError();
            SaveGathered(temp, buffer, gathered, resume);  // what came may be resumed from
            return get.transport->Failed("read", error);
        }
        gathered += got;
        if (rate.TooSlow(::GetTickCount64(), resume.received + gathered)) {
            SaveGathered(temp, buffer, gathered, resume);
            return TooSlow();
        }
        if (got != 0) progress.Report(resume.received + gathered, total);  // a slow line's bar moves too
        if (got != 0 && gathered < buffer.size()) continue;
        const Attempt saved = SaveGathered(temp, buffer, gathered, resume);
        if (saved.end != AttemptEnd::Done) return saved;
        if (got == 0) break;
    }
    if (total != 0 && resume.received < total)
        return net::Refusal(AttemptEnd::Dropped, L"fewer bytes arrived than announced");
    return Attempt{};
}

Attempt DownloadAttempt(const std::wstring& url, CTempFile& temp, CResume& resume, CPercentReporter& progress) {
    if (resume.received > 0 && !resume.ranges) {  // nothing to resume from: start over
        resume.received = 0;
        if (!temp.StartOver()) return FileFailed("SetEndOfFile", ::GetLastError());
    }
    CGet get;
    const Attempt sent = net::OpenCheckedGet(url, {3000, g_settings.transferStallMs, ResumeHeaders(resume)}, get);
    if (sent.end != AttemptEnd::Done) return sent;
    unsigned long long total = 0;
    const Attempt accepted = AcceptAnswer(*get.answer, temp, resume, total);
    if (accepted.end != AttemptEnd::Done) return accepted;
    Attempt copied = CopyBody(get, temp, resume, total, progress);
    if (copied.end == AttemptEnd::Done) copied.status = get.Status();
    return copied;
}

}  // namespace

NetResult HttpGetJson(const std::wstring& url, std::string& body) {
    std::string collected;
    const Attempt last = WithRetries(url, [&] {
        collected.clear();
        CGet get;
        const Attempt sent = net::OpenCheckedGet(
            url,
            {10000, g_settings.answerStallMs,
             {L"Accept: */*,application/json", L"Accept-Charset:UTF8",
              L"Accept-Language: zh-cn;q=0.8,en;q=0.6,ja;q=0.4", L"Content-Type:application/json"}},
            get);
        if (sent.end != AttemptEnd::Done) return sent;
        std::printf("HTTP_STATUS_code:%d\n", static_cast<int>(get.Status()));
        std::fflush(stdout);
        char chunk[1024];
        CRateWatch rate = NewRateWatch();
        rate.TooSlow(::GetTickCount64(), 0);
        DWORD got = 0;
        for (;;) {
            if (!get.answer->ReadSome(chunk, sizeof chunk, got)) return get.transport->Failed("read", ::GetLastError());
            if (rate.TooSlow(::GetTickCount64(), collected.size() + got)) return TooSlow();
            if (got == 0) break;
            if (collected.size() + got > kMaxAnswerBytes)
                return net::Refusal(AttemptEnd::Refused, L"an answer larger than any of the service's");
            collected.append(chunk, got);
        }
        // The callers judge the body; a server in trouble is asked again.
        const Attempt answered{AttemptEnd::Status, get.Status(),
                               ParseRetryAfter(get.answer->HeaderValue(net::Header::RetryAfter))};
        return ShouldRetry(answered) ? answered : Attempt{AttemptEnd::Done, get.Status()};
    }, [&] { return static_cast<unsigned long long>(collected.size()); });
    if (last.end != AttemptEnd::Done && last.end != AttemptEnd::Status) return ResultOf(last);
    body.swap(collected);  // after the last try a server error's page is an answer too
    return NetResult::Ok;
}

NetResult DownloadFile(const std::wstring& url, const std::wstring& path, const std::function<void(int)>& progress) {
    CTempFile temp(path);
    // A file that cannot be written is this PC's trouble, never the connection's.
    if (!temp.Valid()) return NotSaved("CreateFile");
    CResume resume;
    CPercentReporter reporter(progress);
    const Attempt last = WithRetries(
        url, [&] { return DownloadAttempt(url, temp, resume, reporter); }, [&] { return resume.received; });
    if (last.end != AttemptEnd::Done) return ResultOf(last);
    reporter.Report(1, 1);
    ::Sleep(500);
    if (!temp.MoveTo(path)) return NotSaved("MoveFileEx");
    return NetResult::Ok;
}
