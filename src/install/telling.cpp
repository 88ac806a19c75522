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

std::wstring StatusText(const Telling& telling, const std::function<std::wstring(TranslationKey)>& word) {
    std::wstring text;
    for (TranslationKey key : telling.status) text += (text.empty() ? L"" : L" ") + word(key);
    return text;
}
