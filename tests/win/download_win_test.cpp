#include <gtest/gtest.h>
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "devservice_win.h"
#include "net/http.h"
#include "sys/paths.h"
#include "sys/text.h"
#include "wine_helpers_win.h"

namespace {

std::wstring Wide(const std::string& text) { return AnsiToWide(text); }

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

struct CProgressLog {
    std::vector<int> positions;
    std::function<void(int)> Callback() { return [this](int p) { positions.push_back(p); }; }
};

std::wstring WorkFile(const wchar_t* name) { return GetWorkFolder(name); }

}  // namespace

TEST(HttpGetJson, ReturnsEveryBodyWithItsStatusPrinted) {
    for (int status : {200, 404, 500}) {
        test::SetServiceScript(R"({"/api/rx/QuilloRXApp": {"status": )" + std::to_string(status) +
                               R"(, "body": "<html>page )" + std::to_string(status) + R"(</html>"}})");
        std::string body;
        CStdoutCapture capture;
        const bool ok = HttpGetJson(Wide(test::ServiceUrl("/api/rx/QuilloRXApp")), body);
        const std::string printed = capture.Finish();
        EXPECT_TRUE(ok) << status;
        EXPECT_EQ(body, "<html>page " + std::to_string(status) + "</html>");
        // Standard output is in text mode: the "\n" arrives as a Windows line end.
        EXPECT_EQ(printed, "HTTP_STATUS_code:" + std::to_string(status) + "\r\n");
    }
}

TEST(HttpGetJson, SendsTheServiceHeadersAsHttp10WithoutCache) {
    test::SetServiceScript(R"({"/api/rx/TWHotspot": {"body": "first"}})");
    test::TakeRequests();
    std::string body;
    ASSERT_TRUE(HttpGetJson(Wide(test::ServiceUrl("/api/rx/TWHotspot")), body));
    EXPECT_EQ(body, "first");
    test::SetServiceScript(R"({"/api/rx/TWHotspot": {"body": "second"}})");
    body.clear();
    ASSERT_TRUE(HttpGetJson(Wide(test::ServiceUrl("/api/rx/TWHotspot")), body));
    EXPECT_EQ(body, "second");  // never from the cache
    const auto log = test::TakeRequestLog();
    ASSERT_EQ(log.size(), 2u);
    for (const char* expected : {R"("line": "GET /api/rx/TWHotspot HTTP/1.0")", R"(["Accept", "*/*,application/json"])",
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
    ASSERT_TRUE(HttpGetJson(Wide(test::ServiceUrl("/big")), body));
    EXPECT_EQ(body, big);
    std::string empty = "x";
    ASSERT_TRUE(HttpGetJson(Wide(test::ServiceUrl("/empty")), empty));
    EXPECT_EQ(empty, "");
}

TEST(HttpGetJson, RefusesWhatIsNoServiceAnswer) {
    test::SetServiceScript(R"({"/huge": {"file": "big.bin"}})");
    test::TakeRequests();
    std::string body = "kept";
    EXPECT_FALSE(HttpGetJson(Wide(test::ServiceUrl("/huge")), body));  // over 1 MiB
    EXPECT_FALSE(HttpGetJson(L"ftp://localhost/api/rx/QuilloRXApp", body));
    EXPECT_FALSE(HttpGetJson(L"file:///C:/windows/win.ini", body));
    EXPECT_FALSE(HttpGetJson(L"not a url", body));
    EXPECT_EQ(body, "kept");
    EXPECT_EQ(test::TakeRequests().size(), 1u);  // only the huge one reached the service
}

TEST(HttpGetJson, FailsOnBadCertificatesAndUnreachableService) {
    test::SetServiceScript(R"({"/api/rx/QuilloRXApp": {"body": "{}"}})");
    std::string body = "kept";
    for (int offset : {1, 2, 3})  // another host's name, expired, untrusted CA
        EXPECT_FALSE(HttpGetJson(Wide(test::ServiceUrl("/api/rx/QuilloRXApp", offset)), body)) << offset;
    EXPECT_FALSE(HttpGetJson(Wide(test::ServiceUrl("/api/rx/QuilloRXApp", 9)), body));  // nobody listens
    test::SetServiceScript(R"({"/api/rx/QuilloRXApp": {"drop": true}})");
    {
        CStdoutCapture capture;
        EXPECT_FALSE(HttpGetJson(Wide(test::ServiceUrl("/api/rx/QuilloRXApp")), body));  // went away unanswered
        EXPECT_EQ(capture.Finish(), "");
    }
    test::SetServiceScript(R"({"/api/rx/QuilloRXApp": {"body": "{}"}})");
    EXPECT_EQ(body, "kept");
    EXPECT_TRUE(HttpGetJson(Wide(test::ServiceUrl("/api/rx/QuilloRXApp")), body));
}

TEST(DownloadFile, ExactChunkAndWholeFile) {
    test::ClearWorkFolder();
    test::SetServiceScript(R"({"/files/exact.bin": {"file": "exact10240.bin"}})");
    CProgressLog progress;
    const std::wstring target = WorkFile(L"exact.bin");
    const DWORD start = ::GetTickCount();
    ASSERT_TRUE(DownloadFile(Wide(test::ServiceUrl("/files/exact.bin")), target, progress.Callback()));
    EXPECT_GE(::GetTickCount() - start, 500u);
    EXPECT_EQ(test::ReadBytes(target), test::ReadBytes(test::ServiceFile("exact10240.bin")));
    EXPECT_EQ(progress.positions, (std::vector<int>{100, 100}));
}

TEST(DownloadFile, WithoutLengthTheBarJumpsAtTheEnd) {
    test::ClearWorkFolder();
    test::SetServiceScript(R"({"/files/big.bin": {"file": "big.bin", "length": "omit"}})");
    CProgressLog progress;
    const std::wstring target = WorkFile(L"big.bin");
    ASSERT_TRUE(DownloadFile(Wide(test::ServiceUrl("/files/big.bin")), target, progress.Callback()));
    EXPECT_EQ(progress.positions, std::vector<int>{100});
    EXPECT_EQ(test::ReadBytes(target).size(), 3000000u);
}

TEST(DownloadFile, BarMovesSteadilyWithALength) {
    test::ClearWorkFolder();
    test::SetServiceScript(R"({"/files/big.bin": {"file": "big.bin"}})");
    CProgressLog progress;
    ASSERT_TRUE(DownloadFile(Wide(test::ServiceUrl("/files/big.bin")), WorkFile(L"big.bin"), progress.Callback()));
    ASSERT_GT(progress.positions.size(), 100u);
    for (std::size_t i = 1; i < progress.positions.size(); ++i)
        EXPECT_GE(progress.positions[i], progress.positions[i - 1]);
    EXPECT_EQ(progress.positions.back(), 100);
}

TEST(DownloadFile, EmptyBodyMakesAnEmptyFile) {
    test::ClearWorkFolder();
    test::SetServiceScript(R"({"/files/empty.bin": {"file": "empty.bin"}})");
    CProgressLog progress;
    const std::wstring target = WorkFile(L"empty.bin");
    ASSERT_TRUE(DownloadFile(Wide(test::ServiceUrl("/files/empty.bin")), target, progress.Callback()));
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
        EXPECT_FALSE(DownloadFile(Wide(test::ServiceUrl(path)), target, progress.Callback())) << path;
        EXPECT_EQ(test::ReadBytes(target), "earlier package") << path;
    }
    for (int offset : {1, 2, 3})
        EXPECT_FALSE(DownloadFile(Wide(test::ServiceUrl("/files/cut.bin", offset)), target, progress.Callback()));
    EXPECT_EQ(test::ReadBytes(target), "earlier package");
    // Only the earlier package is left: no partial or temporary file.
    EXPECT_EQ(FindFileRecursive(GetWorkFolder(L"*.*"), L"pkg.bin", false), target);
    WIN32_FIND_DATAW entry = {};
    int files = 0;
    HANDLE find = ::FindFirstFileW(GetWorkFolder(L"*.*").c_str(), &entry);
    do { if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files; } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
    EXPECT_EQ(files, 1);
}

TEST(DownloadFile, MoreBytesThanAnnouncedStillGivesAFile) {
    test::ClearWorkFolder();
    test::SetServiceScript(R"({"/files/long.bin": {"file": "exact10240.bin", "length": 5000}})");
    CProgressLog progress;
    const std::wstring target = WorkFile(L"long.bin");
    ASSERT_TRUE(DownloadFile(Wide(test::ServiceUrl("/files/long.bin")), target, progress.Callback()));
    EXPECT_GE(test::ReadBytes(target).size(), 5000u);
    EXPECT_EQ(progress.positions.back(), 100);
}

TEST(DownloadFile, TwoDownloadsOfOneNameNeverMix) {
    test::ClearWorkFolder();
    test::SetServiceScript(R"({"/files/a.bin": {"file": "big.bin", "chunk_delay_ms": 20},)"
                           R"( "/files/b.bin": {"file": "exact10240.bin", "chunk_delay_ms": 20}})");
    const std::wstring target = WorkFile(L"same.bin");
    bool okA = false, okB = false;
    std::thread a([&] { okA = DownloadFile(Wide(test::ServiceUrl("/files/a.bin")), target, [](int) {}); });
    std::thread b([&] { okB = DownloadFile(Wide(test::ServiceUrl("/files/b.bin")), target, [](int) {}); });
    a.join();
    b.join();
    EXPECT_TRUE(okA && okB);
    const std::string content = test::ReadBytes(target);
    EXPECT_TRUE(content == test::ReadBytes(test::ServiceFile("big.bin")) ||
                content == test::ReadBytes(test::ServiceFile("exact10240.bin")));
}
