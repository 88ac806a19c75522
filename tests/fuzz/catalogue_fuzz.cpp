// Feeds arbitrary bytes to the catalogue parser and section lookup.
#include <cstddef>
#include <cstdint>
#include <string>

#include <boost/property_tree/ptree.hpp>

#include "i18n/catalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    boost::property_tree::wptree tree;
    if (ParseCatalogue(bytes, tree)) {
        CatalogueWords words;
        for (const wchar_t* code : kLanguageCodes) CopySection(tree, code, words);
    }
    return 0;
}
