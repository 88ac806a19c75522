#include <gtest/gtest.h>

#include "net/url.h"
#include "sys/utf8.h"

TEST(Url, SplitsOnlyHttpAddressesIntoTheirParts) {
    const struct { const wchar_t* url; bool ok; bool https; const wchar_t* host; unsigned port; const wchar_t* object; } cases[] = {
        {L"https://localhost:8443/api/x?os=win7", true, true, L"localhost", 8443, L"/api/x?os=win7"},
        {L"HTTPS://Example.com", true, true, L"Example.com", 443, L"/"},
        {L"http://example.com/a#part", true, false, L"example.com", 80, L"/a"},
        {L"https://example.com?q=1", true, true, L"example.com", 443, L"/?q=1"},
        {L"https://[::1]:8443/x", true, true, L"::1", 8443, L"/x"},
        {L"https://[::1]/x", true, true, L"::1", 443, L"/x"},
        // None of these is an address a request may go to.
        {L"https://user@example.com/", false, false, L"", 0, L""},
        {L"https://example.com:/x", false, false, L"", 0, L""},
        {L"https://example.com:0/x", false, false, L"", 0, L""},
        {L"https://example.com:65536/x", false, false, L"", 0, L""},
        {L"https://example.com:80a/x", false, false, L"", 0, L""},
        {L"https://[::1/x", false, false, L"", 0, L""},
        {L"https://[::1]x/", false, false, L"", 0, L""},
        {L"https:///x", false, false, L"", 0, L""},
        {L"ftp://example.com/x", false, false, L"", 0, L""},
        {L"example.com/x", false, false, L"", 0, L""},
        {L"", false, false, L"", 0, L""},
    };
    for (const auto& c : cases) {
        UrlParts parts;
        ASSERT_EQ(SplitUrl(c.url, parts), c.ok) << WideToUtf8(c.url);
        if (!c.ok) continue;
        EXPECT_EQ(parts.https, c.https) << WideToUtf8(c.url);
        EXPECT_EQ(parts.host, c.host) << WideToUtf8(c.url);
        EXPECT_EQ(parts.port, c.port) << WideToUtf8(c.url);
        EXPECT_EQ(parts.object, c.object) << WideToUtf8(c.url);
    }
}

TEST(Url, ARedirectPointsWhereABrowserWouldGo) {
    const wchar_t* base = L"https://svc.example:8443/api/rx/file.zip?os=win7#top";
    const struct { const wchar_t* location; const wchar_t* resolved; } cases[] = {
        {L"https://cdn.example/p.zip", L"https://cdn.example/p.zip"},
        {L"http://cdn.example/p.zip", L"http://cdn.example/p.zip"},  // refused later, not mended here
        {L"//cdn.example/p.zip", L"https://cdn.example/p.zip"},
        {L"/other/p.zip#x", L"https://svc.example:8443/other/p.zip"},
        {L"p2.zip", L"https://svc.example:8443/api/rx/p2.zip"},
        {L"?os=win10", L"https://svc.example:8443/api/rx/file.zip?os=win10"},
        // A scheme-looking text after the path is no scheme.
        {L"next?from=https://x", L"https://svc.example:8443/api/rx/next?from=https://x"},
        {L"", L""},
        {L"#only", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(ResolveLocation(base, c.location), c.resolved) << WideToUtf8(c.location);
    EXPECT_EQ(ResolveLocation(L"not an address", L"/x"), L"");
}
