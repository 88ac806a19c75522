#include "sys/log.h"
#include "i18n/translation.h"

#include <boost/property_tree/ptree.hpp>

#include "i18n/language_code.h"
#include "sys/platform.h"
#include "sys/settings.h"

bool CTranslation::Load() {
    std::lock_guard<std::mutex> guard(m_lock);
    return LoadLocked();
}

bool CTranslation::LoadLocked() {
    std::string bytes;
    const sys::ReadResult read =
        sys::ReadWholeFile(sys::AppFolderJoin(L"data\\translation.json"), kMaxCatalogueBytes, bytes);
    if (read == sys::ReadResult::CannotOpen) {
        sys::Log(std::string("Read translation file failed!!\r\n"));
        return false;
    }
    boost::property_tree::wptree tree;
    if (read == sys::ReadResult::TooLarge || !ParseCatalogue(bytes, tree)) {
        sys::Log(std::string("Read translation.json failed"));
        return false;
    }
    m_language = GetLanguageCode();
    CopySection(tree, m_language, m_words);
    return true;
}

std::wstring CTranslation::GetWord(std::wstring key) {
    std::lock_guard<std::mutex> guard(m_lock);
    auto found = m_words.find(key);
    if (found == m_words.end()) {
        sys::Log(std::string("Get word failed and reinit\r\n"));
        LoadLocked();
        found = m_words.find(key);
    }
    return found != m_words.end() ? found->second : key;
}

std::wstring CTranslation::GetLanguageCode() {
    if (!g_settings.run.language.empty()) return g_settings.run.language;
    return LanguageCodeForLangId(sys::UserUiLanguage());
}


std::wstring CTranslation::Language() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_language;
}
