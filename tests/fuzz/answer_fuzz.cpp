// Feeds arbitrary bytes to what is read of the device service's answer: the
// answer itself, the package's file name and the checks before a download.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "install/package_rules.h"
#include "net/device_service.h"
#include "net/url.h"
#include "sys/text_util.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ServiceAnswer answer;
    if (ReadServiceAnswer(std::string(reinterpret_cast<const char*>(data), size), answer) != AnswerKind::Usable)
        return 0;
    if (answer.downloadUrl.empty()) std::abort();
    const std::string name = PackageFileName(answer.downloadUrl);
    if (!name.empty() && !IsSafeFileName(name)) std::abort();  // nothing outside the job's folder
    for (PackageKind kind : {PackageKind::Archive, PackageKind::Installer})
        if (PackageRefusal(answer, name, kind).empty() && (name.empty() || Lower(answer.downloadUrl.substr(0, 8)) != "https://"))
            std::abort();
    const std::string wire = AddressForTheWire(answer.downloadUrl);
    for (unsigned char c : wire)
        if (c <= 0x20 || c >= 0x7F) std::abort();
    if (AddressForTheWire(wire) != wire) std::abort();
    return 0;
}
