#include <gtest/gtest.h>
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "devservice_win.h"
#include "net/http.h"
#include "sys/cancel_token.h"
#include "sys/settings.h"
#include "screen_win.h"
#include "sys/handle_win.h"
#include "sys/held_folder_win.h"
#include "sys/work_folder_win.h"
#include "sys/utf8.h"
#include "wine_helpers_win.h"

namespace {

std::wstring Wide(const std::string& text) { return Utf8ToWide(text); }

// Standard output of this process while it is alive, kept in a file.
class CStdoutCapture {
public:
    CStdoutCapture() : m_path(test::ProgramFolder() + L"stdout-capture.txt") {
        std::fflush(stdout);
        m_saved = _dup(_fileno(stdout));
        const int fd = _wopen(m_path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC, _S_IREAD | _S_IWRITE);
        _dup2(fd, _fileno(stdout));
        _close(fd);
    }
    std::string Finish() {
        std::fflush(stdout);
        _dup2(m_saved, _fileno(stdout));
        _close(m_saved);
        return test::ReadBytes(m_path);
    }
private:
    std::wstring m_path;
    int m_saved = -1;
};

// Each new percentage the reports carry (-1: the size is not known).
struct CProgressLog {
    std::vector<int> positions;
    TransferProgressFn Callback() {
        return [this](const TransferProgress& p) {
            if (positions.empty() || positions.back() != p.Percent()) positions.push_back(p.Percent());
        };
    }
};

std::wstring WorkFile(const wchar_t* name) { return test::WorkFolder(name); }

// Answers this process's credentials prompt the way a user would: fills in
// user and password and confirms, or cancels when user is empty. False when
// no prompt came within waitMs.
bool AnswerCredentialsPrompt(const std::wstring& user, const std::wstring& password, DWORD waitMs) {
    std::vector<HWND> edits;
    HWND dialog = screen::WaitForWindow(::GetCurrentProcessId(), [&edits](HWND hwnd) {
        edits.clear();
        ::EnumChildWindows(hwnd, [](HWND child, LPARAM found) {
            wchar_t name[16] = {};
            ::GetClassNameW(child, name, 16);
            if (_wcsicmp(name, L"Edit") == 0) reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
            return TRUE;
        }, reinterpret_cast<LPARAM>(&edits));
        return edits.size() >= 2;
    }, waitMs);
    if (!dialog) return false;
    if (user.empty()) {
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return true;
    }
    ::SendMessageW(edits[0], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(user.c_str()));
    ::SendMessageW(edits[1], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(password.c_str()));
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return true;
}

}  // namespace

TEST(HttpGetJson, ReturnsEveryBodyWithItsStatusPrinted) {
    for (int status : {200, 404, 500}) {
        test::SetServiceScript(R"({"/api/rx/QuilloRXApp": {"status": )" + std::to_string(status) +
                               R"(, "body": "<html>page )" + std::to_string(status) + R"(</html>"}})");
        std::string body;
        CStdoutCapture capture;
        const bool ok = HttpGetJson(Wide(test::ServiceUrl("/api/rx/QuilloRXApp")), body) == NetResult::Ok;
        const std::string printed = capture.Finish();
        EXPECT_TRUE(ok) << status;
        EXPECT_EQ(body, "<html>page " + std::to_string(status) + "</html>");
        // Standard output is in text mode: the "\n" arrives as a Windows line end. A server
        // in trouble is asked three times, and each answer's status is printed.
        std::string expected;
        for (int attempt = 0; attempt < (status >= 500 ? 3 : 1); ++attempt)
            expected += "HTTP_STATUS_code:" + std::to_string(status) + "\r\n";
        EXPECT_EQ(printed, expected);
    }
}

TEST(HttpGetJson, SendsTheServiceHeadersAsHttp11WithoutCache) {
    test::SetServiceScript(R"({"/api/rx/TWHotspot": {"body": "first"}})");
    test::TakeRequests();
    std::string body;
    ASSERT_EQ(HttpGetJson(Wide(test::ServiceUrl("/api/rx/TWHotspot")), body), NetResult::Ok);
    EXPECT_EQ(body, "first");
    test::SetServiceScript(R"({"/api/rx/TWHotspot": {"body": "second"}})");
    body.clear();
    ASSERT_EQ(HttpGetJson(Wide(test::ServiceUrl("/api/rx/TWHotspot")), body), NetResult::Ok);
    EXPECT_EQ(body, "second");  // never from the cache
    const auto log = test::TakeRequestLog();
    ASSERT_EQ(log.size(), 2u);
    for (const char* expected : {R"("line": "GET /api/rx/TWHotspot HTTP/1.1")", R"(["Accept", "*/*,application/json"])",
                                 R"(["Accept-Charset", "UTF8"])",
                                 R"(["Accept-Language", "zh-cn;q=0.8,en;q=0.6,ja;q=0.4"])",
                                 R"(["Content-Type", "application/json"])"})
        EXPECT_NE(log[0].find(expected), std::string::npos) << expected << "\n" << log[0];
}

TEST(HttpGetJson, KeepsTheBodyByteForByte) {
    std::string big;
    for (int i = 0; i < 3000; ++i) big += static_cast<char>('a' + i % 26);
    big[10] = '\0';  // a zero byte does not cut its chunk short
    std::string hex;
    for (unsigned char c : big) { char b[3]; std::snprintf(b, 3, "%02x", c); hex += b; }
    test::SetServiceScript(R"({"/big": {"body_hex": ")" + hex + R"("}, "/empty": {"body": ""}})");
    std::string body;
    ASSERT_EQ(HttpGetJson(Wide(test::ServiceUrl("/big")), body), NetResult::Ok);
    EXPECT_EQ(body, big);
    std::string empty = "x";
    ASSERT_EQ(HttpGetJson(Wide(test::ServiceUrl("/empty")), empty), NetResult::Ok);
    EXPECT_EQ(empty, "");
}

TEST(HttpGetJson, RefusesWhatIsNoServiceAnswer) {
    test::SetServiceScript(R"({"/huge": {"file": "big.bin"}})");
    test::TakeRequests();
    std::string body = "kept";
    EXPECT_EQ(HttpGetJson(Wide(test::ServiceUrl("/huge")), body), NetResult::Refused);  // over 1 MiB
    for (const wchar_t* url : {L"ftp://localhost/api/rx/QuilloRXApp", L"file:///C:/windows/win.ini", L"not a url",
                               L"http://localhost:18443/api/rx/QuilloRXApp"})
        EXPECT_EQ(HttpGetJson(url, body), NetResult::Refused) << url;
    EXPECT_EQ(body, "kept");
    EXPECT_EQ(test::TakeRequests().size(), 1u);  // only the huge one reached the service
}

TEST(HttpGetJson, FailsOnBadCertificatesAndUnreachableService) {
    test::SetServiceScript(R"({"/api/rx/QuilloRXApp": {"body": "{}"}})");
    std::string body = "kept";
    for (int offset : {1, 2, 3})  // another host's name, expired, untrusted CA
        EXPECT_EQ(HttpGetJson(Wide(test::ServiceUrl("/api/rx/QuilloRXApp", offset)), body),
                  NetResult::SecureConnectionFailed) << offset;
    EXPECT_EQ(HttpGetJson(Wide(test::ServiceUrl("/api/rx/QuilloRXApp", 9)), body), NetResult::NoConnection);  // nobody listens
    test::SetServiceScript(R"({"/api/rx/QuilloRXApp": {"drop": true}})");
    {
        CStdoutCapture capture;
        EXPECT_EQ(HttpGetJson(Wide(test::ServiceUrl("/api/rx/QuilloRXApp")), body), NetResult::NoConnection);  // went away unanswered
        EXPECT_EQ(capture.Finish(), "");
    }
    test::SetServiceScript(R"({"/api/rx/QuilloRXApp": {"body": "{}"}})");
    EXPECT_EQ(body, "kept");
    EXPECT_EQ(HttpGetJson(Wide(test::ServiceUrl("/api/rx/QuilloRXApp")), body), NetResult::Ok);
}

TEST(DownloadFile, ExactChunkAndWholeFile) {
    test::ClearWorkFolder();
    test::SetServiceScript(R"({"/files/exact.bin": {"file": "exact10240.bin"}})");
    CProgressLog progress;
    const std::wstring target = WorkFile(L"exact.bin");
    ASSERT_EQ(DownloadFile(Wide(test::ServiceUrl("/files/exact.bin")), target, progress.Callback()), NetResult::Ok);
    EXPECT_EQ(test::ReadBytes(target), test::ReadBytes(test::ServiceFile("exact10240.bin")));
    // Each position once, rising to the end, however the bytes came in.
    ASSERT_FALSE(progress.positions.empty());
    EXPECT_EQ(progress.positions.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.positions.begin(), progress.positions.end()));
    EXPECT_EQ(std::adjacent_find(progress.positions.begin(), progress.positions.end()), progress.positions.end());
}

TEST(DownloadFile, WithoutLengthTheBarIsBusyUntilTheEnd) {
    test::ClearWorkFolder();
    test::SetServiceScript(R"({"/files/big.bin": {"file": "big.bin", "length": "omit"}})");
    CProgressLog progress;
    const std::wstring target = WorkFile(L"big.bin");
    ASSERT_EQ(DownloadFile(Wide(test::ServiceUrl("/files/big.bin")), target, progress.Callback()), NetResult::Ok);
    EXPECT_EQ(progress.positions, (std::vector<int>{-1, 100}));
    EXPECT_EQ(test::ReadBytes(target).size(), 3000000u);
}

TEST(DownloadFile, BarMovesSteadilyWithALength) {
    test::ClearWorkFolder();
    test::SetServiceScript(R"({"/files/big.bin": {"file": "big.bin"}})");
    CProgressLog progress;
    ASSERT_EQ(DownloadFile(Wide(test::ServiceUrl("/files/big.bin")), WorkFile(L"big.bin"), progress.Callback()), NetResult::Ok);
    ASSERT_EQ(progress.positions.size(), 101u);  // 0 to 100, each once
    for (std::size_t i = 1; i < progress.positions.size(); ++i)
        EXPECT_EQ(progress.positions[i], progress.positions[i - 1] + 1);
    EXPECT_EQ(progress.positions.back(), 100);
}

TEST(DownloadFile, EmptyBodyMakesAnEmptyFile) {
    test::ClearWorkFolder();
    test::SetServiceScript(R"({"/files/empty.bin": {"file": "empty.bin"}})");
    CProgressLog progress;
    const std::wstring target = WorkFile(L"empty.bin");
    ASSERT_EQ(DownloadFile(Wide(test::ServiceUrl("/files/empty.bin")), target, progress.Callback()), NetResult::Ok);
    EXPECT_TRUE(test::Exists(target));
    EXPECT_EQ(test::ReadBytes(target), "");
    EXPECT_EQ(progress.positions, std::vector<int>{100});
}

TEST(DownloadFile, FailuresLeaveNothingUnderTheFinalName) {
    test::ClearWorkFolder();
    const std::wstring target = WorkFile(L"pkg.bin");
    std::ofstream(std::filesystem::path(target), std::ios::binary) << "earlier package";
    test::SetServiceScript(
        R"({"/files/missing.bin": {"status": 404, "body": "not here"},)"
        R"( "/files/cut.bin": {"file": "big.bin", "cut_after": 100000},)"
        R"( "/files/short.bin": {"file": "exact10240.bin", "length": 20000}})");
    CProgressLog progress;
    for (const char* path : {"/files/missing.bin", "/files/cut.bin", "/files/short.bin"}) {
        EXPECT_NE(DownloadFile(Wide(test::ServiceUrl(path)), target, progress.Callback()), NetResult::Ok) << path;
        EXPECT_EQ(test::ReadBytes(target), "earlier package") << path;
    }
    for (int offset : {1, 2, 3})
        EXPECT_EQ(DownloadFile(Wide(test::ServiceUrl("/files/cut.bin", offset)), target, progress.Callback()),
                  NetResult::SecureConnectionFailed);
    EXPECT_EQ(test::ReadBytes(target), "earlier package");
    // Only the earlier package is left: no partial or temporary file.
    EXPECT_EQ(sys::FindFileRecursive(sys::GetWorkFolder(), L"pkg.bin", false), L"pkg.bin");
    WIN32_FIND_DATAW entry = {};
    int files = 0;
    HANDLE find = ::FindFirstFileW(test::WorkFolder(L"*.*").c_str(), &entry);
    do { if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files; } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
    EXPECT_EQ(files, 1);
}

TEST(DownloadFile, MoreBytesThanAnnouncedStillGivesAFile) {
    test::ClearWorkFolder();
    test::SetServiceScript(R"({"/files/long.bin": {"file": "exact10240.bin", "length": 5000}})");
    CProgressLog progress;
    const std::wstring target = WorkFile(L"long.bin");
    ASSERT_EQ(DownloadFile(Wide(test::ServiceUrl("/files/long.bin")), target, progress.Callback()), NetResult::Ok);
    EXPECT_GE(test::ReadBytes(target).size(), 5000u);
    EXPECT_EQ(progress.positions.back(), 100);
}

TEST(DownloadFile, TwoDownloadsOfOneNameNeverMix) {
    test::ClearWorkFolder();
    test::SetServiceScript(R"({"/files/a.bin": {"file": "big.bin", "chunk_delay_ms": 20},)"
                           R"( "/files/b.bin": {"file": "exact10240.bin", "chunk_delay_ms": 20}})");
    const std::wstring target = WorkFile(L"same.bin");
    bool okA = false, okB = false;
    std::thread a([&] { okA = DownloadFile(Wide(test::ServiceUrl("/files/a.bin")), target, [](const TransferProgress&) {}) == NetResult::Ok; });
    std::thread b([&] { okB = DownloadFile(Wide(test::ServiceUrl("/files/b.bin")), target, [](const TransferProgress&) {}) == NetResult::Ok; });
    a.join();
    b.join();
    EXPECT_TRUE(okA && okB);
    const std::string content = test::ReadBytes(target);
    EXPECT_TRUE(content == test::ReadBytes(test::ServiceFile("big.bin")) ||
                content == test::ReadBytes(test::ServiceFile("exact10240.bin")));
}

// Faults of real networks, each with what the caller is told, what is left on
// disk and how often the service was asked.
TEST(DownloadFile, SurvivesWhatCanBeSurvivedAndSaysWhatCannot) {
    const std::string big = "{\"file\": \"big.bin\"", ranged = "{\"file\": \"big.bin\", \"ranges\": true";
    const struct { const char* name; std::string rule; int port; bool json; NetResult result; const char* whole;
                   std::size_t requests; const char* secondAsks; } cases[] = {
        {"dropped, no ranges: starts over", R"({"sequence": [)" + big + R"(, "cut_after": 100000}, )" + big + "}]}",
         0, false, NetResult::Ok, "big.bin", 2, "GET /files/p.bin"},
        {"dropped, ranges: resumed", R"({"sequence": [)" + ranged + R"(, "cut_after": 100000}, )" + ranged + "}]}",
         0, false, NetResult::Ok, "big.bin", 2, "Range"},
        {"dropped past a written buffer, ranges: resumed", R"({"sequence": [)" + ranged +
         R"(, "cut_after": 600000}, )" + ranged + "}]}", 0, false, NetResult::Ok, "big.bin", 2, "bytes=600000-"},
        {"changed between attempts: starts over", R"({"sequence": [)" + ranged +
         R"(, "cut_after": 100000}, {"file": "big2.bin", "ranges": true}]})", 0, false, NetResult::Ok, "big2.bin", 2,
         "If-Range"},
        // A part of another version (a cache that ignores If-Range) is never spliced on.
        {"a part of another version: starts over", R"({"sequence": [)" + ranged +
         R"(, "cut_after": 100000}, {"file": "big2.bin", "ranges": true, "ignore_if_range": true},)"
         R"( {"file": "big2.bin", "ranges": true}]})", 0, false, NetResult::Ok, "big2.bin", kMaxAttempts, "If-Range"},
        // A weak ETag names no bytes: nothing is resumed on its word.
        {"weak ETag, dropped: starts over", R"({"sequence": [)" + ranged + R"(, "weak_etag": true, "cut_after": 100000},)"
         R"( {"file": "big.bin", "ranges": true, "weak_etag": true}]})", 0, false, NetResult::Ok, "big.bin", 2,
         "GET /files/p.bin"},
        {"dropped before any status line", R"({"sequence": [{"drop": true}, )" + big + "}]}", 0, false, NetResult::Ok,
         "big.bin", 2, ""},
        {"503 with Retry-After", R"({"sequence": [{"status": 503, "headers": {"Retry-After": "1"}}, )" + big + "}]}",
         0, false, NetResult::Ok, "big.bin", 2, ""},
        {"three failures in a row", R"({"status": 503})", 0, false, NetResult::ServiceFailed, nullptr, kMaxAttempts, ""},
        {"408 then the package", R"({"sequence": [{"status": 408}, )" + big + "}]}", 0, false, NetResult::Ok,
         "big.bin", 2, ""},
        {"404 never again", R"({"status": 404})", 0, false, NetResult::NotFound, nullptr, 1, ""},
        {"403 never again", R"({"status": 403})", 0, false, NetResult::ServiceFailed, nullptr, 1, ""},
        {"bad certificate never again", big + "}", 2, false, NetResult::SecureConnectionFailed, nullptr, 0, ""},
        {"larger than any package", R"({"file": "exact10240.bin", "length": 3000000000})", 0, false,
         NetResult::Refused, nullptr, 1, ""},
        {"answer after a 503", R"({"sequence": [{"status": 503}, {"body": "{}"}]})", 0, true, NetResult::Ok, nullptr,
         2, ""},
        {"answer with a bad certificate", R"({"body": "{}"})", 3, true, NetResult::SecureConnectionFailed, nullptr, 0, ""},
    };
    for (const auto& c : cases) {
        test::ClearWorkFolder();
        const std::wstring target = WorkFile(L"p.bin");
        std::ofstream(std::filesystem::path(target), std::ios::binary) << "earlier package";
        test::SetServiceScript(R"({"/files/p.bin": )" + c.rule + "}");
        test::TakeRequestLog();
        const DWORD start = ::GetTickCount();
        std::string body;
        const NetResult result = c.json ? HttpGetJson(Wide(test::ServiceUrl("/files/p.bin", c.port)), body)
                                        : DownloadFile(Wide(test::ServiceUrl("/files/p.bin", c.port)), target, [](const TransferProgress&) {});
        const DWORD took = ::GetTickCount() - start;
        EXPECT_EQ(result, c.result) << c.name;
        if (!c.json) {
            EXPECT_EQ(test::ReadBytes(target), c.whole ? test::ReadBytes(test::ServiceFile(c.whole)) : "earlier package")
                << c.name;
        }
        const auto log = test::TakeRequestLog();
        EXPECT_EQ(log.size(), c.requests) << c.name;
        const std::string second = log.size() > 1 ? log[1] : "";
        if (*c.secondAsks) {
            EXPECT_NE(second.find(c.secondAsks), std::string::npos) << c.name << second;
        }
        if (std::string(c.name) == "dropped, no ranges: starts over" || std::string(c.name) == "weak ETag, dropped: starts over") {
            EXPECT_EQ(second.find("Range"), std::string::npos) << second;
        }
        if (log.size() > 2) {
            EXPECT_EQ(log[2].find("Range"), std::string::npos) << c.name << log[2];
        }
        EXPECT_GE(took, std::string(c.name) == "503 with Retry-After" ? 1000u : 0u) << c.name;
        EXPECT_EQ(sys::FindFileRecursive(sys::GetWorkFolder(), L"p.bin", false), L"p.bin") << c.name;  // no stray files
    }
}

// What one run broke off (the retries used up, a cancel) the next run of the
// same address continues with the first answer's validator; a package that
// changed meanwhile starts from 0. Either way the file is the server's, byte
// for byte.
// What an earlier run broke off, the next continues: with the rest of the
// same file, from 0 when the file changed or the part is gone (416), without
// a request when every byte is there already, and never through a kept file
// with a second name.
TEST(DownloadFile, ALaterRunContinuesWhatAnEarlierOneBrokeOff) {
    const std::string ranged = R"({"file": "big.bin", "ranges": true)";
    const std::string brokenOff = R"({"sequence": [)" + ranged + R"(, "cut_after": 600000}, {"status": 503}]})";
    const std::string slow = ranged + R"(, "chunk_delay_ms": 50})";
    enum Cancel { Never, Midway, AtTheEnd };
    const struct { const char* name; std::string first; Cancel cancel; NetResult firstEnds; bool linked; std::string second;
                   const char* whole; std::size_t requests; const char* firstAsks; bool lastRanged; } cases[] = {
        {"retries used up", brokenOff, Never, NetResult::ServiceFailed, false, ranged + "}", "big.bin", 1,
         "bytes=600000-", true},
        {"cancelled", slow, Midway, NetResult::Cancelled, false, ranged + "}", "big.bin", 1, R"("Range", "bytes=)", true},
        {"changed meanwhile", brokenOff, Never, NetResult::ServiceFailed, false, R"({"file": "big2.bin", "ranges": true})",
         "big2.bin", 1, "GET /files/p.bin", true},
        // Every byte had come: taken without a request, and proven by its hash as any other.
        {"cancelled in the full bar's pause", ranged + "}", AtTheEnd, NetResult::Cancelled, false, ranged + "}", "big.bin",
         0, nullptr, false},
        {"the part is gone (416)", brokenOff, Never, NetResult::ServiceFailed, false,
         R"({"sequence": [{"status": 416}, )" + ranged + "}]}", "big.bin", 2, "bytes=600000-", false},
        // A second name would write into someone else's file: removed, started over.
        {"kept under a second name", brokenOff, Never, NetResult::ServiceFailed, true, ranged + "}", "big.bin", 1,
         nullptr, false},
    };
    for (const auto& c : cases) {
        test::ClearWorkFolder();
        const std::wstring target = WorkFile(L"p.bin"), url = Wide(test::ServiceUrl("/files/p.bin"));
        CCancelToken cancel;
        test::SetServiceScript(R"({"/files/p.bin": )" + c.first + "}");
        EXPECT_EQ(DownloadFile(url, target, [&](const TransferProgress& p) {
                      if ((c.cancel == Midway && p.done >= 200000) || (c.cancel == AtTheEnd && p.total && p.done == p.total))
                          cancel.Cancel();
                  }, c.cancel != Never ? &cancel : nullptr), c.firstEnds) << c.name;
        test::CTempFolder elsewhere(L"partial-victim");
        const std::wstring victim = elsewhere.Path() + L"\\victim";
        std::string kept;
        if (c.linked) {
            const std::wstring folder = test::WorkFolder(L"partial");
            for (const std::wstring& name : test::Names(folder)) {
                if (name.size() < 5 || name.substr(name.size() - 5) != L".part") continue;
                kept = test::ReadBytes(folder + L"\\" + name);
                std::ofstream(std::filesystem::path(victim), std::ios::binary) << kept;
                ASSERT_TRUE(::DeleteFileW((folder + L"\\" + name).c_str()));
                ASSERT_TRUE(::CreateHardLinkW((folder + L"\\" + name).c_str(), victim.c_str(), nullptr));
            }
            ASSERT_FALSE(kept.empty()) << c.name;
        }
        test::SetServiceScript(R"({"/files/p.bin": )" + c.second + "}");
        test::TakeRequestLog();
        EXPECT_EQ(DownloadFile(url, target, [](const TransferProgress&) {}), NetResult::Ok) << c.name;
        EXPECT_TRUE(test::ReadBytes(target) == test::ReadBytes(test::ServiceFile(c.whole))) << c.name;
        const auto log = test::TakeRequestLog();
        ASSERT_EQ(log.size(), c.requests) << c.name;
        if (c.firstAsks) {
            EXPECT_NE(log[0].find(R"("If-Range", "\")"), std::string::npos) << c.name << log[0];  // a strong ETag
            EXPECT_NE(log[0].find(c.firstAsks), std::string::npos) << c.name << log[0];
        }
        if (!log.empty()) {
            EXPECT_EQ(log.back().find(R"("Range")") != std::string::npos, c.lastRanged) << c.name << log.back();
        }
        if (c.linked) {
            EXPECT_TRUE(test::ReadBytes(victim) == kept) << c.name;
        }
        EXPECT_TRUE(sys::GetWorkFolder().OpenFolder(L"partial").List().empty()) << c.name;  // nothing kept after
    }
}

TEST(DownloadFile, AStalledServerFailsWithinTheLimit) {
    test::ClearWorkFolder();
    CSettingsOverride settings;
    g_settings.transferStallMs = g_settings.answerStallMs = 1500;
    test::SetServiceScript(R"({"/files/p.bin": {"file": "big.bin", "stall_after": 20000, "stall_ms": 20000},)"
                           R"( "/api/rx/QuilloRXApp": {"body": "{}", "delay_ms": 20000}})");
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(DownloadFile(Wide(test::ServiceUrl("/files/p.bin")), WorkFile(L"p.bin"), [](const TransferProgress&) {}), NetResult::NoConnection);
    std::string body;
    EXPECT_EQ(HttpGetJson(Wide(test::ServiceUrl("/api/rx/QuilloRXApp")), body), NetResult::NoConnection);
    // kMaxAttempts attempts of each, every one ended by the limit rather than by the server.
    EXPECT_LT(::GetTickCount() - start, 18000u);
    EXPECT_FALSE(test::Exists(WorkFile(L"p.bin")));
}

// A cancel while a read or the answer blocks frees the caller at once; the
// blocked call ends on its own thread, which alone closes its handles. Many
// times in a row, the requests' threads outliving their callers: no crash.
TEST(DownloadFile, ACancelWhileACallBlocksFreesTheCallerEveryTime) {
    test::ClearWorkFolder();
    CSettingsOverride settings;
    g_settings.transferStallMs = g_settings.answerStallMs = 3000;
    test::SetServiceScript(R"({"/files/p.bin": {"file": "big.bin", "stall_after": 5000, "stall_ms": 4000},)"
                           R"( "/api/rx/QuilloRXApp": {"body": "{}", "delay_ms": 4000}})");
    for (int round = 0; round < 12; ++round) {
        CCancelToken cancel;
        std::thread canceller([&cancel] {
            ::Sleep(300);
            cancel.Cancel();
        });
        const DWORD start = ::GetTickCount();
        std::string body;
        const NetResult result = round % 2 == 0
            ? DownloadFile(Wide(test::ServiceUrl("/files/p.bin")), WorkFile(L"p.bin"), [](const TransferProgress&) {}, &cancel)
            : HttpGetJson(Wide(test::ServiceUrl("/api/rx/QuilloRXApp")), body, &cancel);
        canceller.join();
        EXPECT_EQ(result, NetResult::Cancelled) << round;
        EXPECT_LT(::GetTickCount() - start, 1500u) << round;
    }
}

// A virus scanner opens the new file for a moment, without letting it be
// renamed: the download waits for it instead of failing.
TEST(DownloadFile, AScannerHoldingTheNewFileOnlyDelaysIt) {
    test::ClearWorkFolder();
    test::SetServiceScript(R"({"/files/p.bin": {"file": "big.bin", "chunk_delay_ms": 20}})");
    const std::wstring folder = test::WorkFolder();
    const unsigned long long size = test::ReadBytes(test::ServiceFile("big.bin")).size();
    std::atomic<bool> held{false};
    std::thread scanner([&] {  // holds the file from the moment it appears until 1.5 s after it is whole
        for (DWORD waited = 0; waited < 20000; waited += 5) {
            WIN32_FIND_DATAW entry = {};
            sys::CFindHandle find(::FindFirstFileW((folder + L"\\partial\\*.part").c_str(), &entry));
            if (find.Valid()) {
                sys::CFileHandle file(::CreateFileW((folder + L"\\partial\\" + entry.cFileName).c_str(), GENERIC_READ,
                                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                                    nullptr));
                if (!file.Valid()) continue;
                held = true;
                LARGE_INTEGER now = {};
                while (::GetFileSizeEx(file.Get(), &now) && static_cast<unsigned long long>(now.QuadPart) < size)
                    ::Sleep(5);
                ::Sleep(1500);
                return;
            }
            ::Sleep(5);
        }
    });
    const DWORD start = ::GetTickCount();
    const NetResult result = DownloadFile(Wide(test::ServiceUrl("/files/p.bin")), WorkFile(L"p.bin"), [](const TransferProgress&) {});
    scanner.join();
    EXPECT_TRUE(held);
    EXPECT_EQ(result, NetResult::Ok);
    EXPECT_GE(::GetTickCount() - start, 1500u);
    EXPECT_EQ(test::ReadBytes(WorkFile(L"p.bin")), test::ReadBytes(test::ServiceFile("big.bin")));
}

// A byte now and then keeps every read under the stall limit: the average
// over the window gives up on it, once, as no connection.
TEST(DownloadFile, ATrickleGivesUp) {
    test::ClearWorkFolder();
    CSettingsOverride settings;
    g_settings.transferStallMs = g_settings.answerStallMs = 2000;
    g_settings.slowWindowMs = 3000;
    test::SetServiceScript(R"({"/files/p.bin": {"file": "big.bin", "trickle_ms": 400},)"
                           R"( "/api/rx/QuilloRXApp": {"body": "{\"status\": true, \"downloadURL\": \"https://x/y.exe\"}",)"
                           R"( "trickle_ms": 400}})");
    test::TakeRequests();
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(DownloadFile(Wide(test::ServiceUrl("/files/p.bin")), WorkFile(L"p.bin"), [](const TransferProgress&) {}), NetResult::NoConnection);
    std::string body;
    EXPECT_EQ(HttpGetJson(Wide(test::ServiceUrl("/api/rx/QuilloRXApp")), body), NetResult::NoConnection);
    EXPECT_LT(::GetTickCount() - start, 15000u);
    EXPECT_EQ(test::TakeRequests().size(), 2u);  // not tried again
    EXPECT_FALSE(test::Exists(WorkFile(L"p.bin")));
}

TEST(DownloadFile, GoesThroughTheSystemProxyAndAsksForItsPasswordOnce) {
    const struct { const char* name; int port; bool mayAsk; bool prompt; const wchar_t* user; const wchar_t* password;
                   NetResult result; const char* lastProxyLine; } cases[] = {
        {"open proxy", 4, true, false, L"", L"", NetResult::Ok, R"("credentials": false)"},
        {"password given", 5, true, true, L"alice", L"secret", NetResult::Ok, R"("credentials": true)"},
        {"prompt cancelled", 5, true, true, L"", L"", NetResult::NoConnection, R"("credentials": false)"},
        {"wrong password, asked once", 5, true, true, L"alice", L"wrong", NetResult::NoConnection, R"("credentials": true)"},
        // Unattended nobody could answer: the prompt never opens.
        {"nobody may be asked", 5, false, false, L"", L"", NetResult::NoConnection, R"("credentials": false)"},
    };
    for (const auto& c : cases) {
        CSettingsOverride settings;
        g_settings.run.unattended = !c.mayAsk;
        test::ClearWorkFolder();
        test::SetServiceScript(R"({"/files/p.bin": {"file": "exact10240.bin"}})");
        const std::wstring proxyLog = test::HostPath(std::string(INSTALLER_DEVSERVICE_STATE) + "/proxy.log");
        std::ofstream(std::filesystem::path(proxyLog), std::ios::trunc);
        test::CSystemProxy proxy(L"localhost:" + std::to_wstring(INSTALLER_TEST_SERVICE_PORT + c.port));
        NetResult result = NetResult::Ok;
        std::thread download([&] { result = DownloadFile(Wide(test::ServiceUrl("/files/p.bin")), WorkFile(L"p.bin"), [](const TransferProgress&) {}); });
        EXPECT_EQ(AnswerCredentialsPrompt(c.user, c.password, c.prompt ? 15000 : 0), c.prompt) << c.name;
        download.join();
        EXPECT_FALSE(AnswerCredentialsPrompt(L"", L"", 0)) << c.name;  // never a second prompt
        EXPECT_EQ(static_cast<int>(result), static_cast<int>(c.result)) << c.name;
        EXPECT_TRUE(test::ReadBytes(WorkFile(L"p.bin")) ==
                    (c.result == NetResult::Ok ? test::ReadBytes(test::ServiceFile("exact10240.bin")) : ""))
            << c.name;
        std::vector<std::string> lines;
        std::ifstream in{std::filesystem::path(proxyLog)};
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        ASSERT_FALSE(lines.empty()) << c.name << ": the request did not go through the proxy";
        EXPECT_NE(lines[0].find("CONNECT localhost:" + std::to_string(INSTALLER_TEST_SERVICE_PORT)), std::string::npos) << lines[0];
        std::string all;
        for (const std::string& line : lines) all += line + "\n";
        EXPECT_NE(lines.back().find(c.lastProxyLine), std::string::npos) << c.name << ":\n" << all;
    }
}
