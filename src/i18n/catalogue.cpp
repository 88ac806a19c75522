#include "i18n/catalogue.h"

#include <sstream>

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include "i18n/utf8.h"

const std::array<const wchar_t*, kTranslationKeyCount> kTranslationKeys = {
    L"DL_RX_FAILED",   L"RX_INSTALLER_MISS", L"DL_BT_FAILED", L"BT_INSTALLER_MISS",
    L"WIFI_INSTALLED", L"HINT_DL_BT",        L"HINT_NO_INTERNET", L"INSTALL_WIFI",
    L"INSTALL_BT",     L"INSTALL_RX",        L"INSTALL_HOTSPOT",   L"PKG_NOT_TRUSTED",
    L"NO_PACKAGE_FOR_OS", L"DL_NOT_SAVED",   L"TLS_FAILED",
};

const std::array<const wchar_t*, 11> kLanguageCodes = {
    L"eng", L"cht", L"chs", L"jpn", L"kor", L"fr", L"ita", L"por", L"rus", L"es", L"deu",
};

namespace {

// Deepest bracket nesting outside strings.
int NestingDepth(const std::wstring& text) {
    int depth = 0, deepest = 0;
    bool inString = false, escaped = false;
    for (wchar_t c : text) {
        if (inString) {
            if (escaped) escaped = false;
            else if (c == L'\\') escaped = true;
            else if (c == L'"') inString = false;
        } else if (c == L'"') {
            inString = true;
        } else if (c == L'{' || c == L'[') {
            if (++depth > deepest) deepest = depth;
        } else if (c == L'}' || c == L']') {
            --depth;
        }
    }
    return deepest;
}

}  // namespace

bool ParseCatalogue(const std::string& utf8, boost::property_tree::wptree& tree) {
    std::wstring text = Utf8ToWide(utf8);
    if (!text.empty() && text.front() == 0xFEFF) text.erase(0, 1);
    if (NestingDepth(text) > kMaxCatalogueDepth) return false;
    try {
        std::wistringstream stream(text);
        boost::property_tree::wptree parsed;
        boost::property_tree::read_json(stream, parsed);
        tree.swap(parsed);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool CopySection(const boost::property_tree::wptree& tree, const std::wstring& code,
                 CatalogueWords& words) {
    const auto section = tree.get_child_optional(boost::property_tree::wpath(code, L'.'));
    if (!section) return false;
    for (const wchar_t* key : kTranslationKeys) {
        const auto entry = section->get_child_optional(boost::property_tree::wpath(key, L'.'));
        if (entry) words[key] = entry->data();
    }
    return true;
}
