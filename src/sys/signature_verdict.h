#pragma once
// What the result of an Authenticode check means for starting the file:
// revocation is checked over the whole chain, a revoked certificate refuses
// the file, and a revocation server that cannot be reached does not (as
// browsers do), so a PC without Internet access still installs.

enum class SignatureVerdict { Valid, RevocationUnknown, Revoked, Invalid };

// status: what WinVerifyTrust returned (an HRESULT).
SignatureVerdict JudgeSignatureStatus(long status);
