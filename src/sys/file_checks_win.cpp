#include "sys/file_checks_win.h"

#include <wincrypt.h>
#include <softpub.h>
#include <wintrust.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "sys/detached_result.h"
#include "sys/handle_win.h"
#include "sys/settings.h"
#include "sys/signature_verdict.h"

namespace sys {

namespace {

struct CCryptProviderTraits {
    static HCRYPTPROV Invalid() { return 0; }
    static void Close(HCRYPTPROV h) { ::CryptReleaseContext(h, 0); }
};
struct CCryptHashTraits {
    static HCRYPTHASH Invalid() { return 0; }
    static void Close(HCRYPTHASH h) { ::CryptDestroyHash(h); }
};

std::string Hex(const BYTE* bytes, DWORD count) {
    std::string hex;
    for (DWORD i = 0; i < count; ++i) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
        hex += pair;
    }
    return hex;
}

std::string HexCode(LONG code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code));
    return text;
}

// The verification state that WinVerifyTrust keeps until told to close it.
// With revocation: every certificate but the root, which nothing can revoke
// and whose check a disconnected PC waits out. Without: the network is never
// asked, not even for a missing intermediate.
class CTrustState {
public:
    CTrustState(HANDLE file, const std::wstring& path, bool revocation) {
        m_file.cbStruct = sizeof m_file;
        m_file.pcwszFilePath = path.c_str();
        m_file.hFile = file;
        m_data.cbStruct = sizeof m_data;
        m_data.dwUIChoice = WTD_UI_NONE;
        m_data.fdwRevocationChecks = revocation ? WTD_REVOKE_WHOLECHAIN : WTD_REVOKE_NONE;
        m_data.dwProvFlags = revocation ? WTD_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT
                                        : WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
        m_data.dwUnionChoice = WTD_CHOICE_FILE;
        m_data.pFile = &m_file;
        m_data.dwStateAction = WTD_STATEACTION_VERIFY;
        m_status = ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &m_action, &m_data);
    }
    ~CTrustState() {
        m_data.dwStateAction = WTD_STATEACTION_CLOSE;
        ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &m_action, &m_data);
    }
    CTrustState(const CTrustState&) = delete;
    CTrustState& operator=(const CTrustState&) = delete;
    LONG Status() const { return m_status; }
    PCCERT_CONTEXT Signer() const {
        CRYPT_PROVIDER_DATA* provider = ::WTHelperProvDataFromStateData(m_data.hWVTStateData);
        CRYPT_PROVIDER_SGNR* signer = provider ? ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
        return signer && signer->csCertChain > 0 ? signer->pasCertChain[0].pCert : nullptr;
    }

private:
    GUID m_action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    WINTRUST_FILE_INFO m_file = {};
    WINTRUST_DATA m_data = {};
    LONG m_status;
};

// The subject's own attributes, in the order the certificate gives them.
bool ReadSubject(PCCERT_CONTEXT certificate, std::vector<SubjectPart>& subject) {
    CLocalMemory decoded;  // the decoder allocates with LocalAlloc
    DWORD size = 0;
    if (!::CryptDecodeObjectEx(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, X509_UNICODE_NAME,
                               certificate->pCertInfo->Subject.pbData, certificate->pCertInfo->Subject.cbData,
                               CRYPT_DECODE_ALLOC_FLAG, nullptr, decoded.Put(), &size))
        return false;
    const auto* name = static_cast<const CERT_NAME_INFO*>(decoded.Get());
    for (DWORD i = 0; i < name->cRDN; ++i) {
        for (DWORD j = 0; j < name->rgRDN[i].cRDNAttr; ++j) {
            const CERT_RDN_ATTR& attribute = name->rgRDN[i].rgRDNAttr[j];
            std::wstring value(reinterpret_cast<const wchar_t*>(attribute.Value.pbData),
                               attribute.Value.cbData / sizeof(wchar_t));
            while (!value.empty() && value.back() == L'\0') value.pop_back();  // some decoders count the NUL
            subject.push_back({SubjectPartType(attribute.pszObjId), value});
        }
    }
    return true;
}

struct CheckedSignature {
    LONG status = kSignatureCheckTimedOut;
    bool subjectRead = false;
    std::vector<SubjectPart> subject;
};

// The file once more, with a position of its own, for a check that may
// outlive its caller.
CFileHandle OwnHandleTo(HANDLE file) {
    CFileHandle own(::ReOpenFile(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0));
    if (own.Valid()) return own;
    HANDLE duplicate = INVALID_HANDLE_VALUE;
    if (::DuplicateHandle(::GetCurrentProcess(), file, ::GetCurrentProcess(), &duplicate, 0, FALSE,
                          DUPLICATE_SAME_ACCESS))
        own.Reset(duplicate);
    return own;
}

// One WinVerifyTrust check, given up after limitMs (a timed-out status).
CheckedSignature CheckWithin(HANDLE file, const std::wstring& path, bool revocation, unsigned long limitMs) {
    auto own = std::make_shared<CFileHandle>(OwnHandleTo(file));
    if (!own->Valid()) {
        CheckedSignature failed;
        failed.status = HRESULT_FROM_WIN32(::GetLastError());
        return failed;
    }
    const auto check = CDetachedResult<CheckedSignature>::Start([own, path, revocation] {
        CheckedSignature checked;
        {
            const CTrustState trust(own->Get(), path, revocation);
            checked.status = trust.Status();
            if (checked.status == ERROR_SUCCESS) {
                PCCERT_CONTEXT certificate = trust.Signer();
                checked.subjectRead = certificate && ReadSubject(certificate, checked.subject);
            }
        }
        // Closed before the answer is given: the caller may delete the file at once.
        own->Reset();
        return checked;
    });
    return check.WaitFor(std::chrono::milliseconds(limitMs)).value_or(CheckedSignature{});
}

}  // namespace

namespace {

// A SHA-256 fed a part at a time; empty text when the system could not make it.
class CSha256 {
public:
    CSha256() {
        m_ok = ::CryptAcquireContextW(m_provider.Put(), nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) &&
               ::CryptCreateHash(m_provider.Get(), CALG_SHA_256, 0, 0, m_hash.Put());
    }
    void Add(const void* bytes, DWORD size) {
        m_ok = m_ok && (size == 0 || ::CryptHashData(m_hash.Get(), static_cast<const BYTE*>(bytes), size, 0));
    }
    void Fail() { m_ok = false; }
    std::string Digest() {
        BYTE digest[32];
        DWORD size = sizeof digest;
        if (!m_ok || !::CryptGetHashParam(m_hash.Get(), HP_HASHVAL, digest, &size, 0)) return std::string();
        return Hex(digest, size);
    }

private:
    CUniqueHandle<CCryptProviderTraits, HCRYPTPROV> m_provider;
    CUniqueHandle<CCryptHashTraits, HCRYPTHASH> m_hash;
    bool m_ok = false;
};

}  // namespace

std::string FileSha256(HANDLE file) {
    CSha256 hash;
    LARGE_INTEGER start = {};
    if (!::SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return std::string();
    std::vector<BYTE> chunk(1 << 20);
    for (DWORD got = 0;;) {
        if (!::ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) hash.Fail();
        if (got == 0) break;
        hash.Add(chunk.data(), got);
    }
    return hash.Digest();
}

std::string Sha256Of(const std::string& bytes) {
    CSha256 hash;
    hash.Add(bytes.data(), static_cast<DWORD>(bytes.size()));
    return hash.Digest();
}

bool ReadSignerSubject(HANDLE file, const std::wstring& path, std::vector<SubjectPart>& subject, std::string& reason,
                       std::string& revocation) {
    // The revocation check gets two thirds of the time, the check without the rest.
    const DWORD started = ::GetTickCount();
    const unsigned long limit = g_settings.signatureCheckMs;
    CheckedSignature checked = CheckWithin(file, path, true, limit * 2 / 3);
    switch (JudgeSignatureStatus(checked.status)) {
    case SignatureVerdict::Valid:
        revocation = "checked, not revoked";
        break;
    case SignatureVerdict::Revoked:
        reason = "the signing certificate was revoked (" + HexCode(checked.status) + ")";
        return false;
    case SignatureVerdict::RevocationUnknown:
        // No answer about revocation is no proof of it: the rest must hold.
        revocation = checked.status == kSignatureCheckTimedOut
                         ? "could not be checked in " + std::to_string(limit * 2 / 3) + " ms"
                         : "could not be checked (" + HexCode(checked.status) + ")";
        checked = CheckWithin(file, path, false, limit - limit * 2 / 3);
        if (checked.status == ERROR_SUCCESS) break;
        [[fallthrough]];
    case SignatureVerdict::Invalid:
        reason = checked.status == kSignatureCheckTimedOut
                     ? "the signature check did not finish in " + std::to_string(limit) + " ms"
                     : "no valid signature (" + HexCode(checked.status) + ")";
        return false;
    }
    revocation += ", in " + std::to_string(::GetTickCount() - started) + " ms";
    if (!checked.subjectRead || checked.subject.empty()) {
        reason = "the signer certificate's subject cannot be read";
        return false;
    }
    subject = checked.subject;
    return true;
}

}  // namespace sys
