#include <gtest/gtest.h>

#include "net/proxy_choice.h"
#include "sys/utf8.h"

// SYSTEM has no Internet Options: with nothing given, named or detected, the
// machine's WinHTTP proxy carries the request. Windows' sign-in goes only to a
// proxy someone named, never to one a script or WPAD found.
TEST(ProxyChoice, GivenThenTheMachinesThenDetectedThenTheUsers) {
    const struct { const char* name; ProxyFacts facts; ProxyWay way; const wchar_t* proxy; const wchar_t* bypass;
                   bool signInNamed, signInScripted; const wchar_t* described; } cases[] = {
        {"nothing set", {L"", false, L"", false, L"", L"", L""}, ProxyWay::Machine, L"", L"", true, true,
         L"the machine's WinHTTP proxy: none, direct"},
        {"/proxy wins", {L"10.0.0.1:8080", true, L"corp:8080", true, L"http://wpad/x.pac", L"user:3128", L""},
         ProxyWay::Given, L"10.0.0.1:8080", L"", true, true, L"10.0.0.1:8080 (given by /proxy)"},
        {"the machine's named proxy before detection", {L"", true, L"corp:8080", true, L"", L"user:3128", L""},
         ProxyWay::Machine, L"corp:8080", L"", true, true, L"corp:8080 (the machine's WinHTTP proxy)"},
        {"Windows 8.1 detects", {L"", true, L"", false, L"", L"user:3128", L""}, ProxyWay::Automatic, L"", L"", false,
         false, L"Windows' automatic proxy detection (no sign-in)"},
        {"the user's script, their proxy behind it", {L"", false, L"", false, L"http://wpad/x.pac", L"user:3128", L"*.corp"},
         ProxyWay::UserScript, L"user:3128", L"*.corp", true, false,
         L"this user's automatic proxy configuration (no sign-in), else user:3128"},
        {"automatic detection alone", {L"", false, L"", true, L"", L"", L""}, ProxyWay::UserScript, L"", L"", true,
         false, L"this user's automatic proxy configuration (no sign-in), else the machine's WinHTTP proxy"},
        {"the user's named proxy", {L"", false, L"", false, L"", L"user:3128", L"<local>"}, ProxyWay::User,
         L"user:3128", L"<local>", true, true, L"user:3128 (this user's Internet Options)"},
    };
    for (const auto& c : cases) {
        const ProxyChoice choice = ChooseProxy(c.facts);
        EXPECT_EQ(choice.way, c.way) << c.name;
        EXPECT_EQ(choice.proxy, c.proxy) << c.name;
        EXPECT_EQ(choice.bypass, c.bypass) << c.name;
        EXPECT_EQ(MaySignInToProxy(choice, false), c.signInNamed) << c.name;
        EXPECT_EQ(MaySignInToProxy(choice, true), c.signInScripted) << c.name;
        EXPECT_EQ(WideToUtf8(DescribeProxy(choice)), WideToUtf8(c.described)) << c.name;
    }
}
