#include "sys/signature_verdict.h"

SignatureVerdict JudgeSignatureStatus(long status) {
    switch (static_cast<unsigned long>(status)) {
    case 0: return SignatureVerdict::Valid;
    case 0x800B010Cul:  // CERT_E_REVOKED
    case 0x80092010ul:  // CRYPT_E_REVOKED
        return SignatureVerdict::Revoked;
    case 0x800B010Eul:  // CERT_E_REVOCATION_FAILURE: no answer from the revocation server
    case 0x80092012ul:  // CRYPT_E_NO_REVOCATION_CHECK
    case 0x80092013ul:  // CRYPT_E_REVOCATION_OFFLINE
    case static_cast<unsigned long>(kSignatureCheckTimedOut):
        return SignatureVerdict::RevocationUnknown;
    default: return SignatureVerdict::Invalid;
    }
}
