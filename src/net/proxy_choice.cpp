#include "net/proxy_choice.h"

ProxyChoice ChooseProxy(const ProxyFacts& facts) {
    if (!facts.given.empty()) return {ProxyWay::Given, facts.given, L""};
    if (facts.automaticOffered) return {ProxyWay::Automatic, L"", L""};
    if (facts.userAutoDetect || !facts.userAutoConfigUrl.empty())
        return {ProxyWay::UserScript, facts.userProxy, facts.userBypass};
    if (!facts.userProxy.empty()) return {ProxyWay::User, facts.userProxy, facts.userBypass};
    return {ProxyWay::Machine, L"", L""};
}

std::wstring DescribeProxy(const ProxyChoice& choice) {
    switch (choice.way) {
    case ProxyWay::Given: return choice.proxy + L" (given by /proxy)";
    case ProxyWay::Automatic: return L"Windows' automatic proxy detection";
    case ProxyWay::UserScript:
        return L"this user's automatic proxy configuration, else " +
               (choice.proxy.empty() ? std::wstring(L"the machine's WinHTTP proxy") : choice.proxy);
    case ProxyWay::User: return choice.proxy + L" (this user's Internet Options)";
    case ProxyWay::Machine: break;
    }
    return L"the machine's WinHTTP proxy, if any";
}
