#include "install/telling.h"

Telling TellingOf(const Job& job, const JobOutcome& outcome, bool bluetoothShown) {
    Telling telling;
    const OutcomeRow& row = RowOf(outcome.kind);
    switch (row.shown) {
    case Shown::Nothing: break;
    case Shown::Message: telling.message = true; break;
    case Shown::Text: telling.status = {row.text}; break;
    case Shown::MissingUnlessWifi:
        if (job.id == JobId::Wifi) break;
        [[fallthrough]];
    case Shown::MissingText: telling.status = {job.installerMissing}; break;
    case Shown::DoneText:
        if (job.id != JobId::Wifi) break;
        telling.status = {kWifiInstalled};
        if (bluetoothShown) telling.status.push_back(kHintDlBt);
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
