#include "net/proxy_choice.h"

ProxyChoice ChooseProxy(const ProxyFacts& facts) {
    if (!facts.given.empty()) return {ProxyWay::Given, facts.given, L"", true};
    if (!facts.machineProxy.empty()) return {ProxyWay::Machine, facts.machineProxy, L"", true};
    // What detection finds, a hostile network may have named.
    if (facts.automaticOffered) return {ProxyWay::Automatic, L"", L"", false};
    if (facts.userAutoDetect || !facts.userAutoConfigUrl.empty())
        return {ProxyWay::UserScript, facts.userProxy, facts.userBypass, true};
    if (!facts.userProxy.empty()) return {ProxyWay::User, facts.userProxy, facts.userBypass, true};
    return {ProxyWay::Machine, L"", L"", true};
}

bool MaySignInToProxy(const ProxyChoice& choice, bool fromScript) {
    return choice.signIn && !(choice.way == ProxyWay::UserScript && fromScript);
}

std::wstring DescribeProxy(const ProxyChoice& choice) {
    switch (choice.way) {
    case ProxyWay::Given: return choice.proxy + L" (given by /proxy)";
    case ProxyWay::Automatic: return L"Windows' automatic proxy detection (no sign-in)";
    case ProxyWay::UserScript:
        return L"this user's automatic proxy configuration (no sign-in), else " +
               (choice.proxy.empty() ? std::wstring(L"the machine's WinHTTP proxy") : choice.proxy);
    case ProxyWay::User: return choice.proxy + L" (this user's Internet Options)";
    case ProxyWay::Machine: break;
    }
    return choice.proxy.empty() ? L"the machine's WinHTTP proxy: none, direct"
                                : choice.proxy + L" (the machine's WinHTTP proxy)";
}
