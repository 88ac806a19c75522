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

