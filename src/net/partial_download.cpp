#include "net/partial_download.h"

#include <cstdio>
#include <sstream>

#include <json/json.h>

#include "sys/utf8.h"

std::wstring PartialKey(const std::string& url) {
    unsigned long long hash = 14695981039346656037ull;  // FNV-1a
    for (unsigned char c : url) hash = (hash ^ c) * 1099511628211ull;
    wchar_t key[17] = {};
    std::swprintf(key, 17, L"%016llx", hash);
    return key;
}

std::string WritePartialNote(const PartialDownload& partial) {
    Json::Value root;
    root["url"] = partial.url;
    root["validator"] = partial.validator;
    root["total"] = Json::UInt64(partial.total);
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    return Json::writeString(builder, root) + "\n";
}

bool ReadPartialNote(const std::string& json, PartialDownload& partial) {
    if (json.size() > 64 * 1024) return false;
    try {
        Json::Value root;
        Json::CharReaderBuilder builder;
        std::string errors;
        std::istringstream stream(json);
        if (!Json::parseFromStream(builder, stream, &root, &errors) || !root.isObject()) return false;
        if (!root["url"].isString() || !root["validator"].isString() || !root["total"].isUInt64()) return false;
        partial = {root["url"].asString(), root["validator"].asString(), root["total"].asUInt64()};
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool ContinuesPartial(const PartialDownload& note, const std::string& url, unsigned long long onDisk) {
    return note.url == url && !note.validator.empty() && note.total > 0 && onDisk > 0 && onDisk <= note.total;
}
