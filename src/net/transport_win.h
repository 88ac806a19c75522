#pragma once
// The two libraries behind the request policy (net/request_win.h), each in
// a file of its own: their headers clash.
#include <memory>

#include "net/request_win.h"

namespace net {

// The user's Internet Options proxy and sign-in; the window's.
std::unique_ptr<ITransport> OpenWinInetTransport(const CGetOptions& options);
// The machine's proxy (or the one ChooseProxy picks), and the process's own
// credentials for a proxy's Negotiate or NTLM sign-in; never a prompt.
std::unique_ptr<ITransport> OpenWinHttpTransport(const CGetOptions& options);

// A transport whose session opened, else none, the failed step traced.
template <class Transport>
std::unique_ptr<ITransport> OpenedTransport(const CGetOptions& options, const char* openStep) {
    auto transport = std::make_unique<Transport>(options);
    if (transport->Valid()) return transport;
    transport->Failed(openStep, ::GetLastError());
    return nullptr;
}

}  // namespace net
