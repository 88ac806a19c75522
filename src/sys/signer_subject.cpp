#include "sys/signer_subject.h"

#include <algorithm>
#include <cwctype>

#include "sys/text_util.h"

namespace {

std::wstring Trimmed(const std::wstring& text) {
    const auto first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return std::wstring();
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

std::wstring NormalType(std::wstring type) {
    for (wchar_t& c : type) c = static_cast<wchar_t>(std::towupper(c));
    return type == L"ST" ? L"S" : type;
}

bool IsTypeName(const std::wstring& type) {
    return !type.empty() &&
           std::all_of(type.begin(), type.end(), [](wchar_t c) { return std::iswalnum(c) || c == L'.'; });
}

// One value from at on: quoted or plain, up to the next comma outside quotes.
bool ReadValue(const std::wstring& text, std::size_t& at, std::wstring& value) {
    while (at < text.size() && text[at] == L' ') ++at;
    if (at < text.size() && text[at] == L'"') {
        const std::size_t close = text.find(L'"', at + 1);
        if (close == std::wstring::npos) return false;
        value = text.substr(at + 1, close - at - 1);
        at = text.find_first_not_of(L' ', close + 1);
        if (at == std::wstring::npos) at = text.size();
        return at == text.size() || text[at] == L',';
    }
    const std::size_t comma = std::min(text.find(L',', at), text.size());
    value = Trimmed(text.substr(at, comma - at));
    at = comma;
    return !value.empty();
}

}  // namespace

std::wstring SubjectPartType(const std::string& oid) {
    static const struct { const char* oid; const wchar_t* type; } kTypes[] = {
        {"2.5.4.3", L"CN"}, {"2.5.4.10", L"O"}, {"2.5.4.11", L"OU"}, {"2.5.4.6", L"C"}, {"2.5.4.7", L"L"},
        {"2.5.4.8", L"S"}, {"2.5.4.9", L"STREET"}, {"2.5.4.5", L"SERIALNUMBER"}, {"1.2.840.113549.1.9.1", L"E"},
        {"0.9.2342.19200300.100.1.25", L"DC"},
    };
    for (const auto& known : kTypes)
        if (oid == known.oid) return known.type;
    return L"OID." + Widen(oid);
}

bool ParseSubject(const std::wstring& text, std::vector<SubjectPart>& parts) {
    parts.clear();
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t equals = text.find(L'=', at);
        if (equals == std::wstring::npos) return false;
        SubjectPart part{NormalType(Trimmed(text.substr(at, equals - at))), L""};
        at = equals + 1;
        if (!IsTypeName(part.type) || !ReadValue(text, at, part.value)) return false;
        parts.push_back(part);
        if (at < text.size()) ++at;  // the comma
    }
    return !parts.empty();
}

bool SignerMatches(const std::vector<SubjectPart>& subject, const std::wstring& signer) {
    std::vector<SubjectPart> expected;
    if (!ParseSubject(signer, expected)) expected = {{L"CN", signer}};
    if (signer.empty()) return false;
    return std::all_of(expected.begin(), expected.end(), [&](const SubjectPart& part) {
        return std::find(subject.begin(), subject.end(), part) != subject.end();
    });
}

std::wstring SubjectText(const std::vector<SubjectPart>& subject) {
    std::wstring text;
    for (const SubjectPart& part : subject) text += (text.empty() ? L"" : L", ") + part.type + L"=" + part.value;
    return text;
}
