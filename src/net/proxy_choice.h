#pragma once
// Which proxy an unattended request goes through, and whether it may be
// signed in to. Deployment tools run the program as SYSTEM, which has no
// Internet Options of its own; the machine's proxy is WinHTTP's (netsh winhttp
// set proxy). Windows' sign-in (SYSTEM's: the computer account) goes only to
// a proxy IT named: never to one that WPAD or a script found, which a hostile
// network can name. Portable: the WinHTTP transport asks Windows for the
// facts and carries out the choice.
#include <string>

struct ProxyFacts {
    std::wstring given;             // /proxy HOST:PORT; empty: none
    bool automaticOffered = false;  // Windows 8.1 and later find the proxy themselves
    std::wstring machineProxy;      // the machine's named WinHTTP proxy (netsh); empty: none
    // This user's Internet Options, as WinHTTP reads them.
    bool userAutoDetect = false;
    std::wstring userAutoConfigUrl;
    std::wstring userProxy, userBypass;
};

enum class ProxyWay {
    Given,       // the named proxy of /proxy
    Machine,     // the machine's WinHTTP proxy (WINHTTP_ACCESS_TYPE_DEFAULT_PROXY), or none
    Automatic,   // Windows' own detection (WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY)
    UserScript,  // the user's auto-configuration (WPAD or a script), per host; else the
                 // user's named proxy when there is one, else as Machine
    User,        // the user's named proxy
};

struct ProxyChoice {
    ProxyWay way = ProxyWay::Machine;
    std::wstring proxy, bypass;  // with Given and User; with UserScript its fallback
    // Whether a 407 from the proxy this way names is answered with the
    // process's own credentials; for UserScript, from its fallback only.
    bool signIn = true;
};

// /proxy first; then the machine's named proxy, which IT set; then what
// Windows detects itself, where it offers that; then the user's Internet
// Options as Windows reads them (automatic detection, then a script, then a
// named proxy), when they name anything; else the machine's (none: direct).
ProxyChoice ChooseProxy(const ProxyFacts& facts);

// Whether a proxy's 407 is answered with Windows' sign-in: only when the
// choice names the proxy itself, never for one a script or WPAD found
// (fromScript: the proxy of this request came from the user's script).
bool MaySignInToProxy(const ProxyChoice& choice, bool fromScript);

// For the log: "localhost:8080 (given by /proxy)", "Windows' automatic detection", ...
std::wstring DescribeProxy(const ProxyChoice& choice);
