#include "net/url.h"

#include <cwctype>

#include "sys/text_util.h"

namespace {

std::wstring WithoutFragment(const std::wstring& text) { return text.substr(0, text.find(L'#')); }

bool ReadPort(const std::wstring& text, unsigned& port) {
    if (text.empty() || text.size() > 5) return false;
    port = 0;
    for (wchar_t c : text) {
        if (!std::iswdigit(c)) return false;
        port = port * 10 + static_cast<unsigned>(c - L'0');
    }
    return port > 0 && port <= 65535;
}

// "host", "host:port", "[::1]:port" into parts.
bool ReadAuthority(const std::wstring& authority, UrlParts& parts) {
    if (authority.empty() || authority.find(L'@') != std::wstring::npos) return false;
    std::wstring port;
    if (authority.front() == L'[') {
        const std::size_t close = authority.find(L']');
        if (close == std::wstring::npos) return false;
        parts.host = authority.substr(1, close - 1);
        if (close + 1 < authority.size()) {
            if (authority[close + 1] != L':') return false;
            port = authority.substr(close + 2);
            if (port.empty()) return false;
        }
    } else {
        const std::size_t colon = authority.find(L':');
        parts.host = authority.substr(0, colon);
        if (colon != std::wstring::npos && (port = authority.substr(colon + 1)).empty()) return false;
    }
    if (parts.host.empty()) return false;
    parts.port = parts.https ? 443 : 80;
    return port.empty() || ReadPort(port, parts.port);
}

// "scheme:" at its start, before any path or query.
bool HasScheme(const std::wstring& text) {
    const std::size_t colon = text.find(L':');
    if (colon == 0 || colon == std::wstring::npos || !std::iswalpha(text[0])) return false;
    for (std::size_t i = 1; i < colon; ++i)
        if (!std::iswalnum(text[i]) && text[i] != L'+' && text[i] != L'-' && text[i] != L'.') return false;
    return true;
}

}  // namespace

bool SplitUrl(const std::wstring& url, UrlParts& parts) {
    const std::wstring address = WithoutFragment(url);
    const std::size_t scheme = address.find(L"://");
    if (scheme == std::wstring::npos) return false;
    const std::wstring name = Lower(address.substr(0, scheme));
    if (name != L"https" && name != L"http") return false;
    UrlParts split;
    split.https = name == L"https";
    const std::size_t start = scheme + 3, end = address.find_first_of(L"/?", start);
    if (!ReadAuthority(address.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start), split))
        return false;
    split.object = end == std::wstring::npos ? L"/" : address.substr(end);
    if (split.object.front() == L'?') split.object.insert(0, L"/");
    parts = split;
    return true;
}

std::wstring ResolveLocation(const std::wstring& base, const std::wstring& location) {
    const std::wstring target = WithoutFragment(location);
    UrlParts from;
    if (target.empty() || !SplitUrl(base, from)) return std::wstring();
    if (HasScheme(target)) return target;
    if (target.compare(0, 2, L"//") == 0) return (from.https ? L"https:" : L"http:") + target;
    const std::wstring origin = base.substr(0, base.find_first_of(L"/?#", base.find(L"://") + 3));
    if (target.front() == L'/') return origin + target;
    const std::wstring path = from.object.substr(0, from.object.find(L'?'));
    if (target.front() == L'?') return origin + path + target;
    return origin + path.substr(0, path.find_last_of(L'/') + 1) + target;
}

std::string AddressForTheWire(const std::string& utf8Url) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string wire;
    for (unsigned char c : utf8Url) {
        if (c > 0x20 && c < 0x7F) {
            wire += static_cast<char>(c);
        } else {
            wire += '%';
            wire += kHex[c >> 4];
            wire += kHex[c & 0x0F];
        }
    }
    return wire;
}

std::string PackageFileName(const std::string& downloadUrl) {
    std::string address = downloadUrl.substr(0, downloadUrl.find_first_of("?#"));
    const auto slash = address.find_last_of('/');
    std::string name = slash == std::string::npos ? address : address.substr(slash + 1);
    return IsSafeFileName(name) ? name : std::string();
}
