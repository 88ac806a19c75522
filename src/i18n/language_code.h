#pragma once
#include <string>

// The catalogue section for a Windows UI language identifier (LANGID): the
// whole identifier counts, not only its primary language. German, which the
// fixed table has no code for, gets its own section "deu".
std::wstring LanguageCodeForLangId(unsigned short langId);
