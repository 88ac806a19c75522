#pragma once
#include <mutex>
#include <string>

#include "i18n/catalogue.h"

// The texts of the user's language from data\translation.json beside the
// program. Safe to use from several threads at once.
class CTranslation {
public:
    CTranslation() = default;
    CTranslation(const CTranslation&) = delete;
    CTranslation& operator=(const CTranslation&) = delete;

    // Reads the file and adds the chosen section's texts; true when the file
    // was opened and parsed (also when it has no section for the language).
    bool Load();

    // The text for key, or key itself; a miss reloads the file first.
    std::wstring GetWord(std::wstring key);

    // The section code for the user's current UI language, or the override.
    static std::wstring GetLanguageCode();

    std::wstring Language() const;

private:
    bool LoadLocked();

    mutable std::mutex m_lock;
    CatalogueWords m_words;
    std::wstring m_language = L"eng";
};
