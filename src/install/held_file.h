#pragma once
// A file held open so that nobody can write, rename or delete it until the
// object goes: what was checked is what gets started, unpacked or stored.
#include <string>

#include "install/installer_command.h"
#include "sys/readable_file.h"

class IHeldFile : public IReadableFile {
public:
    // Lower-case hex; empty when it cannot be read.
    virtual std::string Sha256() = 0;
    // False, with the reason, unless the file's SHA-256 is expectedHex.
    virtual bool HasSha256(const std::string& expectedHex, std::string& reason) = 0;
    // False, with the reason, unless the file carries a valid Authenticode
    // signature, not revoked, whose signer certificate's subject is signer
    // (a common name, or a whole subject "CN=…, O=…, C=…").
    virtual bool SignedBy(const std::wstring& signer, std::string& reason) = 0;
    // For a Windows Installer package: where its files come from.
    virtual MsiMedia WindowsInstallerMedia() = 0;
};
