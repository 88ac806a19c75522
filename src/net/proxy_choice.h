#pragma once
// Which proxy an unattended request goes through. Deployment tools run the
// program as SYSTEM, which has no Internet Options of its own; the machine's
// proxy is WinHTTP's (netsh winhttp set proxy, or WPAD). Portable: the
// WinHTTP transport asks Windows for the facts and carries out the choice.
#include <string>

struct ProxyFacts {
    std::wstring given;          // /proxy HOST:PORT; empty: none
    bool automaticOffered = false;  // Windows 8.1 and later find the proxy themselves
    // This user's Internet Options, as WinHTTP reads them.
    bool userAutoDetect = false;
    std::wstring userAutoConfigUrl;
    std::wstring userProxy, userBypass;
};

enum class ProxyWay {
    Given,       // the named proxy of /proxy
    Automatic,   // Windows' own detection (WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY)
    UserScript,  // the user's auto-configuration (WPAD or a script), per request; else the
                 // user's named proxy when there is one, else as Machine
    User,        // the user's named proxy
    Machine,     // the machine's WinHTTP proxy (WINHTTP_ACCESS_TYPE_DEFAULT_PROXY), or none
};

struct ProxyChoice {
    ProxyWay way = ProxyWay::Machine;
    std::wstring proxy, bypass;  // with Given and User; with UserScript its fallback
};

// /proxy first; then what Windows detects itself, where it offers that; then
// the user's Internet Options as Windows reads them (automatic detection,
// then a script, then a named proxy), when they name anything; else the
// machine's.
ProxyChoice ChooseProxy(const ProxyFacts& facts);

// For the log: "localhost:8080 (given by /proxy)", "Windows' automatic detection", ...
std::wstring DescribeProxy(const ProxyChoice& choice);
