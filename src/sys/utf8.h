#pragma once
#include <string>

// Decodes UTF-8 into wide text: UTF-16 where wchar_t has 16 bits (characters
// outside the BMP become surrogate pairs), code points elsewhere. Malformed
// sequences become U+FFFD; nothing is dropped silently.
std::wstring Utf8ToWide(const std::string& bytes);

// Encodes wide text as UTF-8: surrogate pairs become one code point, a lone
// surrogate becomes U+FFFD.
std::string WideToUtf8(const std::wstring& text);
