#pragma once
// What the result of an Authenticode check means for starting the file:
// revocation is checked over the whole chain, a revoked certificate refuses
// the file, and a revocation server that cannot be reached does not (as
// browsers do), so a PC without Internet access still installs.

enum class SignatureVerdict { Valid, RevocationUnknown, Revoked, Invalid };

// The status of a check that gave no answer in its time, as when each
// unreachable revocation server waits out CryptNet's time-outs:
// HRESULT_FROM_WIN32(ERROR_TIMEOUT). Like an unreachable server, no proof
// of revocation.
constexpr long kSignatureCheckTimedOut = static_cast<long>(0x800705B4ul);

// status: what WinVerifyTrust returned (an HRESULT).
SignatureVerdict JudgeSignatureStatus(long status);
