#include "sys/utf8.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendCodePoint(std::wstring& out, char32_t cp) {
    if (sizeof(wchar_t) == 2 && cp > 0xFFFF) {
        cp -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<wchar_t>(cp));
    }
}

// Length of the sequence a lead byte starts and the bits it carries; 0 if it cannot lead.
int SequenceLength(unsigned char lead, char32_t& bits) {
    if (lead < 0x80) { bits = lead; return 1; }
    if (lead >= 0xC2 && lead <= 0xDF) { bits = lead & 0x1F; return 2; }
    if (lead >= 0xE0 && lead <= 0xEF) { bits = lead & 0x0F; return 3; }
    if (lead >= 0xF0 && lead <= 0xF4) { bits = lead & 0x07; return 4; }
    return 0;
}

bool IsValidScalar(char32_t cp, int length) {
    static const char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    return cp >= kMinimum[length] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
}

}  // namespace

std::wstring Utf8ToWide(const std::string& bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        char32_t cp = 0;
        const int length = SequenceLength(static_cast<unsigned char>(bytes[i]), cp);
        if (length == 0) { out.push_back(static_cast<wchar_t>(kReplacement)); ++i; continue; }
        int taken = 1;
        while (taken < length && i + taken < bytes.size() &&
               (static_cast<unsigned char>(bytes[i + taken]) & 0xC0) == 0x80) {
            cp = (cp << 6) | (static_cast<unsigned char>(bytes[i + taken]) & 0x3F);
            ++taken;
        }
        AppendCodePoint(out, taken == length && IsValidScalar(cp, length) ? cp : kReplacement);
        i += static_cast<std::size_t>(taken);
    }
    return out;
}

namespace {
void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}
}  // namespace

std::string WideToUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = static_cast<char32_t>(text[i]);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<char32_t>(text[++i]) - 0xDC00);
        else if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            cp = kReplacement;
        AppendUtf8(out, cp);
    }
    return out;
}
