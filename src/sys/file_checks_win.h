#pragma once
// Checks on an open file: its SHA-256, and who signed it.
#include <windows.h>

#include <string>
#include <vector>

#include "sys/signer_subject.h"

namespace sys {

// Lower-case hex SHA-256 of the whole file read through handle; empty on failure.
std::string FileSha256(HANDLE file);
// The same of bytes in memory: of exactly what was read and is then used.
std::string Sha256Of(const std::string& bytes);

// True with the signer certificate's subject (its own attributes, never an
// alternative name) when the file read through handle carries a valid
// Authenticode signature whose chain is not revoked; else false with the
// reason. revocation says whether that was checked.
bool ReadSignerSubject(HANDLE file, const std::wstring& path, std::vector<SubjectPart>& subject, std::string& reason,
                       std::string& revocation);

}  // namespace sys
