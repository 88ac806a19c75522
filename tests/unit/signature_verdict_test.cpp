#include <gtest/gtest.h>

#include "sys/signature_verdict.h"

// Revocation is checked; a revoked certificate refuses, a revocation server
// nobody can reach does not (Wine fetches no revocation lists, so this
// decision is tested here).
TEST(SignatureVerdict, RevokedRefusesUnreachableDoesNot) {
    const struct { unsigned long status; SignatureVerdict verdict; } cases[] = {
        {0, SignatureVerdict::Valid},
        {0x800B010C, SignatureVerdict::Revoked},            // CERT_E_REVOKED
        {0x80092010, SignatureVerdict::Revoked},            // CRYPT_E_REVOKED
        {0x800B010E, SignatureVerdict::RevocationUnknown},  // CERT_E_REVOCATION_FAILURE
        {0x80092012, SignatureVerdict::RevocationUnknown},  // CRYPT_E_NO_REVOCATION_CHECK
        {0x80092013, SignatureVerdict::RevocationUnknown},  // CRYPT_E_REVOCATION_OFFLINE
        {0x800705B4, SignatureVerdict::RevocationUnknown},  // no answer in time
        {0x800B0100, SignatureVerdict::Invalid},            // TRUST_E_NOSIGNATURE
        {0x80096010, SignatureVerdict::Invalid},            // TRUST_E_BAD_DIGEST
        {0x800B0109, SignatureVerdict::Invalid},            // CERT_E_UNTRUSTEDROOT
        {0x800B0101, SignatureVerdict::Invalid},            // CERT_E_EXPIRED
    };
    for (const auto& c : cases)
        EXPECT_EQ(JudgeSignatureStatus(static_cast<long>(c.status)), c.verdict) << std::hex << c.status;
}
