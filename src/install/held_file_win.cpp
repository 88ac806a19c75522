#include "install/held_file_win.h"

#include "sys/file_checks_win.h"
#include "sys/log.h"
#include "sys/text_util.h"
#include "sys/utf8.h"

std::string CWindowsHeldFile::Sha256() { return sys::FileSha256(m_file.Get()); }

bool CWindowsHeldFile::HasSha256(const std::string& expectedHex, std::string& reason) {
    const std::string actual = sys::FileSha256(m_file.Get());
    if (!actual.empty() && actual == Lower(expectedHex)) {
        sys::Log(L"sha256 of " + Path() + L" matches");
        return true;
    }
    reason = "sha256 of " + WideToUtf8(Path()) + " is " + (actual.empty() ? std::string("not computable") : actual) +
             ", not " + expectedHex;
    return false;
}

bool CWindowsHeldFile::SignedBy(const std::wstring& signer, std::string& reason) {
    std::vector<SubjectPart> subject;
    std::string revocation;
    if (!sys::ReadSignerSubject(m_file.Get(), Path(), subject, reason, revocation)) {
        reason = WideToUtf8(Path()) + ": " + reason;
        return false;
    }
    sys::Log(L"revocation of the signature of " + Path() + L": " + Utf8ToWide(revocation));
    const std::wstring name = SubjectText(subject);
    if (SignerMatches(subject, signer)) {
        sys::Log(L"signature of " + Path() + L" is valid, signer " + name);
        return true;
    }
    reason = WideToUtf8(Path()) + " is signed by " + WideToUtf8(name) + ", not by " + WideToUtf8(signer);
    return false;
}
