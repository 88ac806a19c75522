#include "i18n/catalogue.h"

#include <sstream>

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include "sys/utf8.h"

#define INSTALLER_KEY_NAME(name, key, kind) L## #key,
const std::array<const wchar_t*, kTranslationKeyCount> kTranslationKeys = {
    INSTALLER_TRANSLATION_KEYS(INSTALLER_KEY_NAME)};
#undef INSTALLER_KEY_NAME
#define INSTALLER_KEY_KIND(name, key, kind) TextKind::kind,
const std::array<TextKind, kTranslationKeyCount> kTranslationKinds = {INSTALLER_TRANSLATION_KEYS(INSTALLER_KEY_KIND)};
#undef INSTALLER_KEY_KIND

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
