#include "net/device_service.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include <json/json.h>

#include "sys/settings.h"
#include "sys/text_util.h"

std::string ServiceOsValue(WindowsVersion version) {
    const char* value = kServiceOsValues[0].value;
    for (const ServiceOsRow& row : kServiceOsValues)
        if (AtLeast(version, row.from)) value = row.value;
    return value;
}

std::string RequestUrl(const char* resource, const char* query, const std::string& osValue) {
    std::string url = "https://" + g_settings.serviceHost + resource;
    if (query) url += "?os=" + osValue + "&" + query;
    return url;
}

AnswerKind ReadServiceAnswer(const std::string& body, ServiceAnswer& answer) {
    if (body.empty() || body.size() > kMaxAnswerBytes) return AnswerKind::Unusable;
    try {
        Json::Value root;
        std::istringstream stream(body);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        Json::Reader reader;
        if (!reader.parse(stream, root, true)) return AnswerKind::Unusable;
#pragma GCC diagnostic pop
        if (root.type() != Json::objectValue) return AnswerKind::Unusable;
        // Text, arrays and objects cannot be read as a boolean: asBool throws.
        const Json::Value& status = root["status"];
        if (!status.asBool()) return status.isBool() || status.isNumeric() ? AnswerKind::NoPackage : AnswerKind::Unusable;
        std::string url = root.get("downloadURL", "").asString();
        if (url.empty()) return AnswerKind::Unusable;
        const Json::Value& sha256 = root["sha256"];
        answer.hasSha256 = !sha256.isNull();
        answer.sha256 = sha256.isString() ? sha256.asString() : std::string();
        answer.downloadUrl.swap(url);
        return AnswerKind::Usable;
    } catch (const std::exception&) {
        return AnswerKind::Unusable;
    }
}

namespace {

bool IsReservedDeviceName(std::string name) {
    name = Lower(name.substr(0, name.find('.')));  // "CON.txt" names the device too
    while (!name.empty() && name.back() == ' ') name.pop_back();
    static const char* const kDevices[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
    for (const char* device : kDevices)
        if (name == device) return true;
    return name.size() == 4 && (name.compare(0, 3, "com") == 0 || name.compare(0, 3, "lpt") == 0) &&
           name[3] >= '0' && name[3] <= '9';
}

}  // namespace

bool IsSafeFileName(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.size() > 200) return false;
    for (unsigned char c : name)
        if (c < 32 || c == 127 || std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos)
            return false;
    // Windows drops trailing dots and blanks, which would give another name.
    if (name.back() == '.' || name.back() == ' ') return false;
    return !IsReservedDeviceName(name);
}

bool IsSha256Hex(const std::string& text) {
    return text.size() == 64 &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isxdigit(c) != 0; });
}

std::string PackageRefusal(const ServiceAnswer& answer, const std::string& fileName, PackageKind kind) {
    if (Lower(answer.downloadUrl.substr(0, 8)) != "https://") return "address is not https: " + answer.downloadUrl;
    if (answer.hasSha256 && !IsSha256Hex(answer.sha256)) return "sha256 is not 64 hex digits: " + answer.sha256;
    const std::string name = Lower(fileName);
    if (kind == PackageKind::Installer && !EndsWith(name, ".exe") && !EndsWith(name, ".msi"))
        return "not an installer (.exe or .msi): " + fileName;
    if (kind == PackageKind::Archive && ArchiveTypeSwitch(fileName).empty())
        return "not an archive of ours (.zip or .7z): " + fileName;
    return std::string();
}

std::string AddressForTheWire(const std::string& utf8Url) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string wire;
    for (unsigned char c : utf8Url) {
        if (c > 0x20 && c < 0x7F) {
            wire += static_cast<char>(c);
        } else {
            wire += '%';
            wire += kHex[c >> 4];
            wire += kHex[c & 0x0F];
        }
    }
    return wire;
}

std::string PackageFileName(const std::string& downloadUrl) {
    std::string address = downloadUrl.substr(0, downloadUrl.find_first_of("?#"));
    const auto slash = address.find_last_of('/');
    std::string name = slash == std::string::npos ? address : address.substr(slash + 1);
    return IsSafeFileName(name) ? name : std::string();
}
