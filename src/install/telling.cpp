#include "install/telling.h"

Telling TellingOf(const Job& job, const JobOutcome& outcome, bool bluetoothOffered) {
    Telling telling;
    const OutcomeRow& row = RowOf(outcome.kind);
    switch (row.display) {
    case Display::Nothing: break;
    case Display::Message: telling.message = true; break;
    case Display::Text: telling.status = {row.text}; break;
    case Display::MissingUnlessWifi:
        if (job.id == JobId::Wifi) break;
        [[fallthrough]];
    case Display::MissingText: telling.status = {job.installerMissing}; break;
    case Display::DoneText:
        if (job.id != JobId::Wifi) break;
        telling.status = {kWifiInstalled};
        if (bluetoothOffered) telling.status.push_back(kHintDlBt);
        break;
    }
    return telling;
}

namespace {
// Chinese and Japanese put no space after a full-width stop (Korean, with its '.', does).
bool EndsWithFullWidthStop(const std::wstring& text) {
    return !text.empty() && (text.back() == L'\u3002' || text.back() == L'\uFF01' || text.back() == L'\uFF1F');
}
}  // namespace

std::wstring StatusText(const Telling& telling, const std::function<std::wstring(TranslationKey)>& word) {
    std::wstring text;
    for (TranslationKey key : telling.status)
        text += (text.empty() || EndsWithFullWidthStop(text) ? L"" : L" ") + word(key);
    return text;
}
