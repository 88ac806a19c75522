#include "install/layout_manifest.h"

#include <sstream>

#include <json/json.h>

#include "net/device_service.h"

std::vector<LayoutEntry> ReadLayoutManifest(const std::string& json) {
    std::vector<LayoutEntry> entries;
    if (json.empty() || json.size() > kMaxManifestBytes) return entries;
    try {
        Json::Value root;
        Json::CharReaderBuilder builder;
        std::string errors;
        std::istringstream stream(json);
        if (!Json::parseFromStream(builder, stream, &root, &errors) || !root.isObject()) return entries;
        const Json::Value& packages = root["packages"];
        if (!packages.isArray()) return entries;
        for (const Json::Value& item : packages) {
            if (!item.isObject()) continue;
            LayoutEntry entry;
            entry.job = item.get("job", "").asString();
            entry.windows = item.get("windows", "").asString();
            entry.file = item.get("file", "").asString();
            entry.size = item.get("size", 0).asUInt64();
            entry.sha256 = item.get("sha256", "").asString();
            entry.source = item.get("source", "").asString();
            entry.time = item.get("time", "").asString();
            entries.push_back(entry);
        }
    } catch (const std::exception&) {
        entries.clear();  // a value of the wrong kind: no manifest of ours
    }
    return entries;
}

std::string WriteLayoutManifest(const std::vector<LayoutEntry>& entries) {
    Json::Value root(Json::objectValue);
    root["version"] = 1;
    Json::Value& packages = root["packages"] = Json::Value(Json::arrayValue);
    for (const LayoutEntry& entry : entries) {
        Json::Value item(Json::objectValue);
        item["job"] = entry.job;
        item["windows"] = entry.windows;
        item["file"] = entry.file;
        item["size"] = Json::UInt64(entry.size);
        item["sha256"] = entry.sha256;
        item["source"] = entry.source;
        item["time"] = entry.time;
        packages.append(item);
    }
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "  ";
    return Json::writeString(builder, root) + "\n";
}

const LayoutEntry* FindLayoutEntry(const std::vector<LayoutEntry>& entries, const std::string& job,
                                   const std::string& windows) {
    for (const LayoutEntry& entry : entries)
        if (entry.job == job && entry.windows == windows) return &entry;
    return nullptr;
}

void SetLayoutEntry(std::vector<LayoutEntry>& entries, const LayoutEntry& entry) {
    for (LayoutEntry& existing : entries) {
        if (existing.job == entry.job && existing.windows == entry.windows) {
            existing = entry;
            return;
        }
    }
    entries.push_back(entry);
}

std::string LayoutEntryRefusal(const LayoutEntry& entry) {
    if (!IsSafeFileName(entry.file)) return "it names no file in packages\\: " + entry.file;
    if (!IsSha256Hex(entry.sha256)) return "its sha256 is no hash: " + entry.sha256;
    return std::string();
}

std::string LayoutFileName(const std::string& job, const std::string& windows, const std::string& packageName) {
    return job + "_" + (windows.empty() ? "" : windows + "_") + packageName;
}
