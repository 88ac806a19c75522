#pragma once
// The catalogue file's format: one JSON object, one section per language
// code, each section mapping the fixed keys to texts.
#include <array>
#include <map>
#include <string>

#include <boost/property_tree/ptree_fwd.hpp>

using CatalogueWords = std::map<std::wstring, std::wstring>;

#include "i18n/translation_keys.h"  // the only keys ever loaded or looked up

// Section names; which one applies is chosen from the UI language.
extern const std::array<const wchar_t*, 11> kLanguageCodes;

// A real catalogue is a few kilobytes; anything near this is not one.
constexpr std::size_t kMaxCatalogueBytes = 2 * 1024 * 1024;
// Deeper nesting than any catalogue needs would only exhaust the parser's stack.
constexpr int kMaxCatalogueDepth = 64;

// Parses UTF-8 catalogue text (byte-order mark allowed). False on a syntax
// error or nesting deeper than kMaxCatalogueDepth; never throws.
bool ParseCatalogue(const std::string& utf8, boost::property_tree::wptree& tree);

// Stores in words the text of every key that the section named code has.
// Numbers and literals count as their text, objects and arrays as "".
// False when there is no such section.
bool CopySection(const boost::property_tree::wptree& tree, const std::wstring& code,
                 CatalogueWords& words);
