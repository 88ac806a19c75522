#include "install/layout_manifest.h"

#include <cctype>
#include <sstream>

#include <json/json.h>

#include "install/jobs.h"
#include "install/package_rules.h"
#include "net/device_service.h"
#include "net/url.h"
#include "net/transfer.h"
#include "sys/text_util.h"
#include "sys/utf8.h"

namespace {

// "2026-12-09T13:00:00Z"
bool IsUtcTime(const std::string& text) {
    const std::string pattern = "####-##-##T##:##:##Z";
    if (text.size() != pattern.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (pattern[i] == '#' ? !std::isdigit(static_cast<unsigned char>(text[i])) : text[i] != pattern[i]) return false;
    return true;
}

std::string WindowsRefusal(const Job& job, const std::string& windows) {
    if (!job.query) return windows.empty() ? std::string() : "the job names no Windows: " + windows;
    for (const ServiceOsRow& row : kServiceOsValues)
        if (windows == row.value) return std::string();
    return "a Windows value the service does not take: " + windows;
}

}  // namespace

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
    const Job* job = JobBySwitch(Utf8ToWide(entry.job));
    if (!job || !job->resource) return "no job of this program has packages: " + entry.job;
    const std::string windows = WindowsRefusal(*job, entry.windows);
    if (!windows.empty()) return windows;
    // Not UTF-8: it would name another file, and be written back as yet another.
    if (!IsSafeFileName(entry.file) || WideToUtf8(Utf8ToWide(entry.file)) != entry.file)
        return "it names no file in packages\\: " + entry.file;
    if (entry.size == 0 || entry.size > kMaxPackageBytes) return "a size no package has: " + std::to_string(entry.size);
    if (!IsSha256Hex(entry.sha256) || Lower(entry.sha256) != entry.sha256)
        return "its sha256 is no lower-case hash: " + entry.sha256;
    if (AddressForTheWire(entry.source) != entry.source) return "its source is no plain address";
    if (!IsUtcTime(entry.time)) return "its time is no time: " + entry.time;
    // The checks a download passes: https, and the kind of file the job starts.
    return PackageRefusal({entry.source, true, entry.sha256}, entry.file, job->package);
}

std::string LayoutFileName(const std::string& job, const std::string& sha256, const std::string& packageName) {
    const std::string stem = job + "_" + sha256.substr(0, 12) + "_";
    if (IsSafeFileName(stem + packageName)) return stem + packageName;
    const std::size_t dot = packageName.find_last_of('.');  // too long: its kind is what counts
    return stem + "package" + (dot == std::string::npos ? std::string() : packageName.substr(dot));
}
