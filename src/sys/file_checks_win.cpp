#include "sys/file_checks_win.h"

#include <wincrypt.h>
#include <softpub.h>
#include <wintrust.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "sys/handle_win.h"
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
class CTrustState {
public:
    CTrustState(HANDLE file, const std::wstring& path, bool revocation) {
        m_file.cbStruct = sizeof m_file;
        m_file.pcwszFilePath = path.c_str();
        m_file.hFile = file;
        m_data.cbStruct = sizeof m_data;
        m_data.dwUIChoice = WTD_UI_NONE;
        m_data.fdwRevocationChecks = revocation ? WTD_REVOKE_WHOLECHAIN : WTD_REVOKE_NONE;
        m_data.dwProvFlags = revocation ? WTD_REVOCATION_CHECK_CHAIN : WTD_REVOCATION_CHECK_NONE;
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

}  // namespace

std::string FileSha256(HANDLE file) {
    CUniqueHandle<CCryptProviderTraits, HCRYPTPROV> provider;
    CUniqueHandle<CCryptHashTraits, HCRYPTHASH> hash;
    if (!::CryptAcquireContextW(provider.Put(), nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) ||
        !::CryptCreateHash(provider.Get(), CALG_SHA_256, 0, 0, hash.Put()))
        return std::string();
    LARGE_INTEGER start = {};
    if (!::SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return std::string();
    std::vector<BYTE> chunk(1 << 20);
    DWORD got = 0;
    for (;;) {
        if (!::ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) return std::string();
        if (got == 0) break;
        if (!::CryptHashData(hash.Get(), chunk.data(), got, 0)) return std::string();
    }
    BYTE digest[32];
    DWORD size = sizeof digest;
    if (!::CryptGetHashParam(hash.Get(), HP_HASHVAL, digest, &size, 0)) return std::string();
    return Hex(digest, size);
}

bool ReadSignerSubject(HANDLE file, const std::wstring& path, std::vector<SubjectPart>& subject, std::string& reason,
                       std::string& revocation) {
    std::unique_ptr<CTrustState> trust = std::make_unique<CTrustState>(file, path, true);
    switch (JudgeSignatureStatus(trust->Status())) {
    case SignatureVerdict::Valid:
        revocation = "checked, not revoked";
        break;
    case SignatureVerdict::Revoked:
        reason = "the signing certificate was revoked (" + HexCode(trust->Status()) + ")";
        return false;
    case SignatureVerdict::RevocationUnknown:
        // No answer about revocation is no proof of it: the rest must hold.
        revocation = "could not be checked (" + HexCode(trust->Status()) + ")";
        trust.reset();
        trust = std::make_unique<CTrustState>(file, path, false);
        if (trust->Status() == ERROR_SUCCESS) break;
        [[fallthrough]];
    case SignatureVerdict::Invalid:
        reason = "no valid signature (" + HexCode(trust->Status()) + ")";
        return false;
    }
    PCCERT_CONTEXT certificate = trust->Signer();
    if (!certificate || !ReadSubject(certificate, subject) || subject.empty()) {
        reason = "the signer certificate's subject cannot be read";
        return false;
    }
    return true;
}

}  // namespace sys
