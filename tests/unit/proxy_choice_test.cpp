#include <gtest/gtest.h>

#include "net/proxy_choice.h"
#include "sys/utf8.h"

// SYSTEM has no Internet Options: with nothing given or detected, the
// machine's WinHTTP proxy carries the request.
TEST(ProxyChoice, GivenThenDetectedThenTheUsersThenTheMachines) {
    const struct { const char* name; ProxyFacts facts; ProxyWay way; const wchar_t* proxy; const wchar_t* described; } cases[] = {
        {"nothing set", {L"", false, false, L"", L"", L""}, ProxyWay::Machine, L"", L"the machine's WinHTTP proxy, if any"},
        {"/proxy wins", {L"10.0.0.1:8080", true, true, L"http://wpad/x.pac", L"user:3128", L""}, ProxyWay::Given,
         L"10.0.0.1:8080", L"10.0.0.1:8080 (given by /proxy)"},
        {"Windows 8.1 detects", {L"", true, false, L"", L"user:3128", L""}, ProxyWay::Automatic, L"",
         L"Windows' automatic proxy detection"},
        {"the user's script, their proxy behind it", {L"", false, false, L"http://wpad/x.pac", L"user:3128", L""},
         ProxyWay::UserScript, L"user:3128", L"this user's automatic proxy configuration, else user:3128"},
        {"automatic detection alone", {L"", false, true, L"", L"", L""}, ProxyWay::UserScript, L"",
         L"this user's automatic proxy configuration, else the machine's WinHTTP proxy"},
        {"the user's named proxy", {L"", false, false, L"", L"user:3128", L"<local>"}, ProxyWay::User, L"user:3128",
         L"user:3128 (this user's Internet Options)"},
    };
    for (const auto& c : cases) {
        const ProxyChoice choice = ChooseProxy(c.facts);
        EXPECT_EQ(choice.way, c.way) << c.name;
        EXPECT_EQ(choice.proxy, c.proxy) << c.name;
        EXPECT_EQ(WideToUtf8(DescribeProxy(choice)), WideToUtf8(c.described)) << c.name;
    }
    EXPECT_EQ(ChooseProxy({L"", false, false, L"", L"user:3128", L"<local>"}).bypass, L"<local>");
}
