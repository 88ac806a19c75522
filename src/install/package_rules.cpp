#include "install/package_rules.h"

#include "install/unpacker.h"
#include "sys/text_util.h"
#include "sys/utf8.h"

std::string PackageRefusal(const ServiceAnswer& answer, const std::string& fileName, PackageKind kind) {
    if (Lower(answer.downloadUrl.substr(0, 8)) != "https://") return "address is not https: " + answer.downloadUrl;
    if (answer.hasSha256 && !IsSha256Hex(answer.sha256)) return "sha256 is not 64 hex digits: " + answer.sha256;
    const std::string name = Lower(fileName);
    if (kind == PackageKind::Installer && !EndsWith(name, ".exe") && !EndsWith(name, ".msi"))
        return "not an installer (.exe or .msi): " + fileName;
    if (kind == PackageKind::Archive && !UnpackerFor(Utf8ToWide(fileName)))
        return "not an archive any unpacker of ours takes: " + fileName;
    return std::string();
}
