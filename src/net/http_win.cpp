#include "sys/busy_retry_win.h"
#include "sys/log.h"
#include "sys/text_util.h"
#include "net/http.h"

#include <cstdio>
#include <functional>
#include <random>
#include <vector>

#include "net/device_service.h"
#include "net/partial_download.h"
#include "net/request_win.h"
#include "sys/handle_win.h"
#include "sys/held_folder_win.h"
#include "sys/job_folder_win.h"
#include "sys/platform.h"
#include "sys/settings.h"
#include "sys/utf8.h"

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
Attempt WithRetries(const std::wstring& url, AttemptFn attempt, const std::function<unsigned long long()>& received,
                    const CCancelToken* cancel) {
    static thread_local std::minstd_rand jitter(std::random_device{}());
    const auto cancelled = [&] {
        sys::Log(L"GET " + url + L": cancelled, " + std::to_wstring(received()) + L" bytes kept");
        return Attempt{AttemptEnd::Cancelled};
    };
    for (int made = 1;; ++made) {
        const DWORD start = ::GetTickCount();
        const Attempt last = attempt();
        // An aborted call fails in whatever way its library chooses.
        if (cancel && cancel->Cancelled()) return cancelled();
        sys::Log(L"GET " + url + L": " + Outcome(last, received(), start));
        if (last.end == AttemptEnd::Done || made == kMaxAttempts || !ShouldRetry(last)) return last;
        const unsigned long wait = RetryWaitMs(last, made, jitter());
        sys::Log(L"trying " + url + L" again in " + std::to_wstring(wait) + L" ms");
        if (WaitOrCancel(cancel, wait)) return cancelled();
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

// The bytes of a download as they arrive, in the work folder's partial
// folder under the address's key: kept when the transfer ends unfinished
// and the server named a validator, so that a later download continues; moved
// into place when whole. Where that file cannot be had (another run writes
// it), a temporary file beside the final one, never kept.
class CPartialFile {
public:
    CPartialFile(const std::wstring& url, const std::wstring& finalPath) : m_url(WideToUtf8(url)) {
        if (!OpenKept()) OpenTemporary(finalPath);
    }
    ~CPartialFile() {
        if (!m_file.Valid()) return;
        if (m_resumable && Size() > 0) {
            sys::Log(L"kept " + std::to_wstring(Size()) + L" bytes of the download to continue later: " + m_path);
            return;
        }
        m_file.Reset();
        // Deleted by name: a DELETE right held all along would keep a scanner from opening it.
        if (m_partial.Valid()) m_partial.RemoveEntry(m_key + L".part");
        else ::DeleteFileW(m_path.c_str());
        RemoveNote();
    }
    CPartialFile(const CPartialFile&) = delete;
    CPartialFile& operator=(const CPartialFile&) = delete;
    bool Valid() const { return m_file.Valid(); }
    HANDLE File() const { return m_file.Get(); }
    // What an earlier run left of this download, when it continues it.
    const PartialDownload* Earlier() const { return m_earlier.url.empty() ? nullptr : &m_earlier; }
    bool StartOver() {
        LARGE_INTEGER zero = {};
        return ::SetFilePointerEx(m_file.Get(), zero, nullptr, FILE_BEGIN) && ::SetEndOfFile(m_file.Get());
    }
    // What a later run needs to continue: the first answer's validator and
    // length; without a validator nothing could be continued.
    void Note(const std::string& validator, unsigned long long total) {
        m_resumable = false;
        RemoveNote();
        if (!m_partial.Valid() || validator.empty() || total == 0) return;
        const std::string note = WritePartialNote({m_url, validator, total});
        const sys::CFileHandle file = m_partial.CreateFile(m_key + L".json", GENERIC_WRITE, 0);
        DWORD written = 0;
        m_resumable = file.Valid() && ::WriteFile(file.Get(), note.data(), static_cast<DWORD>(note.size()), &written,
                                                  nullptr) && written == note.size();
    }
    bool HasRoomFor(unsigned long long bytes) const {
        ULARGE_INTEGER available = {};
        return !::GetDiskFreeSpaceExW(m_folder.c_str(), &available, nullptr, nullptr) || bytes <= available.QuadPart;
    }
    bool MoveTo(const std::wstring& path) {
        m_file.Reset();
        if (!sys::RetryWhileBusy([&] { return ::MoveFileExW(m_path.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING); }))
            return false;
        RemoveNote();
        return true;
    }

private:
    unsigned long long Size() const {
        LARGE_INTEGER size = {};
        return ::GetFileSizeEx(m_file.Get(), &size) ? static_cast<unsigned long long>(size.QuadPart) : 0;
    }
    bool OpenKept() {
        const sys::CHeldFolder work = sys::GetWorkFolder();
        m_partial = work.Valid() ? work.OpenOrCreateFolder(kPartialFolderName) : sys::CHeldFolder();
        if (!m_partial.Valid()) return false;
        m_key = PartialKey(m_url);
        const std::wstring name = m_key + L".part";
        constexpr ACCESS_MASK kAccess = GENERIC_READ | GENERIC_WRITE;
        m_file = m_partial.OpenFile(name, kAccess, FILE_SHARE_READ, false);
        if (!m_file.Valid()) m_file = m_partial.CreateFile(name, kAccess, FILE_SHARE_READ);
        if (!m_file.Valid()) {
            m_partial.Close();
            return false;
        }
        m_folder = m_partial.Path();
        m_path = m_partial.PathOf(name);
        PartialDownload note;
        if (ReadPartialNote(m_partial.ReadNote(m_key + L".json", false), note) && ContinuesPartial(note, m_url, Size())) {
            m_earlier = note;
            m_resumable = true;
            LARGE_INTEGER end = {};
            ::SetFilePointerEx(m_file.Get(), end, nullptr, FILE_END);
        } else {
            StartOver();
            RemoveNote();
        }
        return true;
    }
    void OpenTemporary(const std::wstring& finalPath) {
        m_folder = FolderOf(finalPath);
        wchar_t name[MAX_PATH] = {};
        if (::GetTempFileNameW(m_folder.c_str(), L"dl", 0, name)) m_path = name;
        // Shared for reading: a virus scanner may look at it while it grows.
        if (!m_path.empty())
            sys::RetryWhileBusy([&] {
                m_file.Reset(::CreateFileW(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
                return m_file.Valid();
            });
    }
    void RemoveNote() {
        if (m_partial.Valid()) m_partial.RemoveEntry(m_key + L".json");
    }

    std::string m_url;
    sys::CHeldFolder m_partial;  // held while the download writes in it
    std::wstring m_key, m_folder, m_path;
    sys::CFileHandle m_file;
    PartialDownload m_earlier;
    bool m_resumable = false;
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
Attempt AcceptAnswer(const net::IAnswer& answer, CPartialFile& temp, CResume& resume, unsigned long long& total) {
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
        temp.Note(resume.ranges ? resume.validator : std::string(), length);
        total = length;
    } else if (status == 206) {  // not the part asked for, or of another version: all of it next time
        resume = CResume{};
        temp.Note(std::string(), 0);
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
Attempt SaveGathered(CPartialFile& temp, const std::vector<char>& buffer, DWORD& gathered, CResume& resume) {
    DWORD written = 0;
    const BOOL saved = gathered == 0 || ::WriteFile(temp.File(), buffer.data(), gathered, &written, nullptr);
    resume.received += written;
    if (!saved || written != gathered) return FileFailed("WriteFile", ::GetLastError());
    if (resume.received > kMaxPackageBytes)
        return net::Refusal(AttemptEnd::Refused, L"the package grew larger than any of ours");
    gathered = 0;
    return Attempt{};
}

Attempt CopyBody(const net::CGet& get, CPartialFile& temp, CResume& resume, unsigned long long total,
                 CProgressReporter& progress, const CCancelToken* cancel) {
    // A read blocked on a silent server ends at once on a cancel.
    const CCancelToken::CHook abort(cancel, [answer = get.answer.get()] { answer->Abort(); });
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
        if (got != 0) progress.Report(::GetTickCount64(), resume.received + gathered, total);  // a slow line's bar moves too
        if (got != 0 && gathered < buffer.size()) continue;
        const Attempt saved = SaveGathered(temp, buffer, gathered, resume);
        if (saved.end != AttemptEnd::Done) return saved;
        if (got == 0) break;
    }
    if (total != 0 && resume.received < total)
        return net::Refusal(AttemptEnd::Dropped, L"fewer bytes arrived than announced");
    return Attempt{};
}

Attempt DownloadAttempt(const std::wstring& url, CPartialFile& temp, CResume& resume, CProgressReporter& progress,
                        const CCancelToken* cancel) {
    if (resume.received > 0 && !resume.ranges) {  // nothing to resume from: start over
        resume.received = 0;
        if (!temp.StartOver()) return FileFailed("SetEndOfFile", ::GetLastError());
    }
    CGet get;
    const Attempt sent = net::OpenCheckedGet(url, {3000, g_settings.transferStallMs, ResumeHeaders(resume), cancel}, get);
    if (sent.end != AttemptEnd::Done) return sent;
    unsigned long long total = 0;
    const Attempt accepted = AcceptAnswer(*get.answer, temp, resume, total);
    if (accepted.end != AttemptEnd::Done) return accepted;
    Attempt copied = CopyBody(get, temp, resume, total, progress, cancel);
    if (copied.end == AttemptEnd::Done) copied.status = get.Status();
    return copied;
}

}  // namespace

NetResult HttpGetJson(const std::wstring& url, std::string& body, const CCancelToken* cancel) {
    std::string collected;
    const Attempt last = WithRetries(url, [&] {
        collected.clear();
        CGet get;
        const Attempt sent = net::OpenCheckedGet(
            url,
            {10000, g_settings.answerStallMs,
             {L"Accept: */*,application/json", L"Accept-Charset:UTF8",
              L"Accept-Language: zh-cn;q=0.8,en;q=0.6,ja;q=0.4", L"Content-Type:application/json"},
             cancel},
            get);
        if (sent.end != AttemptEnd::Done) return sent;
        std::printf("HTTP_STATUS_code:%d\n", static_cast<int>(get.Status()));
        std::fflush(stdout);
        char chunk[1024];
        const CCancelToken::CHook abort(cancel, [answer = get.answer.get()] { answer->Abort(); });
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
    }, [&] { return static_cast<unsigned long long>(collected.size()); }, cancel);
    if (last.end != AttemptEnd::Done && last.end != AttemptEnd::Status) return ResultOf(last);
    body.swap(collected);  // after the last try a server error's page is an answer too
    return NetResult::Ok;
}

NetResult DownloadFile(const std::wstring& url, const std::wstring& path, const TransferProgressFn& progress,
                       const CCancelToken* cancel) {
    CPartialFile temp(url, path);
    // A file that cannot be written is this PC's trouble, never the connection's.
    if (!temp.Valid()) return NotSaved("CreateFile");
    CResume resume;
    if (const PartialDownload* earlier = temp.Earlier()) {
        LARGE_INTEGER size = {};
        ::GetFileSizeEx(temp.File(), &size);
        resume = {static_cast<unsigned long long>(size.QuadPart), earlier->validator, earlier->total, true};
        sys::Log(L"an earlier download of " + url + L" left " + std::to_wstring(resume.received) + L" of " +
                 std::to_wstring(resume.total) + L" bytes: continuing it");
    }
    CProgressReporter reporter(progress);
    const Attempt last = WithRetries(
        url, [&] { return DownloadAttempt(url, temp, resume, reporter, cancel); }, [&] { return resume.received; },
        cancel);
    if (last.end != AttemptEnd::Done) return ResultOf(last);
    reporter.Finish(::GetTickCount64());
    if (WaitOrCancel(cancel, 500)) return NetResult::Cancelled;  // the full bar, a moment before the file is taken
    if (!temp.MoveTo(path)) return NotSaved("MoveFileEx");
    return NetResult::Ok;
}
