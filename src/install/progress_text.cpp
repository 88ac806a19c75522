#include "install/progress_text.h"

#include <cmath>

namespace {

std::wstring Unit(TranslationKey unit, const std::wstring& number, const WordsFn& words) {
    return FillIn(words(unit), L"{n}", number);
}

// Three figures: 0.98, 9.77, 97.7, 977; decimals as shown after rounding.
int DecimalsFor(double value) { return value < 9.995 ? 2 : value < 99.95 ? 1 : 0; }

}  // namespace

std::wstring FillIn(std::wstring text, const wchar_t* name, const std::wstring& value) {
    const std::wstring key = name;
    for (std::size_t at = text.find(key); at != std::wstring::npos; at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
    return text;
}

std::wstring SizeText(unsigned long long bytes, const WordsFn& words, const NumberFacts& figures) {
    const double kb = static_cast<double>(bytes) / 1024;
    // Rounded as shown: 999.6 KB reads 0.98 MB, never 1000 KB.
    if (kb < 999.5) return Unit(kUnitKb, FormatNumber(bytes > 0 && kb < 1 ? 1 : kb, 0, figures), words);
    const double mb = kb / 1024;
    if (mb < 999.5) return Unit(kUnitMb, FormatNumber(mb, DecimalsFor(mb), figures), words);
    const double gb = mb / 1024;
    return Unit(kUnitGb, FormatNumber(gb, DecimalsFor(gb), figures), words);
}

std::wstring RateText(double bytesPerSecond, const WordsFn& words, const NumberFacts& figures) {
    return FillIn(words(kUnitRate), L"{n}",
                  SizeText(static_cast<unsigned long long>(bytesPerSecond), words, figures));
}

std::wstring TimeText(unsigned long long seconds, const WordsFn& words, const NumberFacts& figures) {
    if (seconds < 90) {
        const unsigned long long steps = seconds <= 5 ? 5 : (seconds + 4) / 5 * 5;
        return Unit(kUnitSeconds, FormatNumber(static_cast<double>(steps), 0, figures), words);
    }
    const unsigned long long minutes = (seconds + 30) / 60;
    if (minutes <= 90) return Unit(kUnitMinutes, FormatNumber(static_cast<double>(minutes), 0, figures), words);
    const std::wstring hours = FormatNumber(static_cast<double>(minutes / 60), 0, figures);
    if (minutes % 60 == 0) return Unit(kUnitHours, hours, words);
    return FillIn(FillIn(words(kUnitHoursMinutes), L"{h}", hours), L"{m}",
                  FormatNumber(static_cast<double>(minutes % 60), 0, figures));
}

std::wstring ProgressText(const JobProgress& progress, const WordsFn& words, const NumberFacts& figures) {
    const TransferProgress& t = progress.transfer;
    switch (progress.phase) {
    case JobPhase::Asking: return words(kProgressAsking);
    case JobPhase::Checking: return words(kProgressChecking);
    case JobPhase::Unpacking: return words(kProgressUnpacking);
    case JobPhase::Starting: return words(kProgressStarting);
    case JobPhase::Started: return words(kSetupStarted);
    case JobPhase::Ended: return std::wstring();
    case JobPhase::Downloading:
    case JobPhase::Copying: break;
    }
    if (t.done == 0 && t.total == 0) return std::wstring();  // nothing to say yet: the last text stays
    const std::wstring done = SizeText(t.done, words, figures);
    const bool rated = t.bytesPerSecond >= 1.0;
    if (t.total == 0)
        return rated ? FillIn(FillIn(words(kProgressDownloadNoTotal), L"{done}", done), L"{rate}",
                              RateText(t.bytesPerSecond, words, figures))
                     : done;
    const std::wstring total = SizeText(t.total, words, figures);
    if (!rated || t.done >= t.total)
        return FillIn(FillIn(words(kProgressDownloadSoFar), L"{done}", done), L"{total}", total);
    const auto left =
        static_cast<unsigned long long>(std::llround(static_cast<double>(t.total - t.done) / t.bytesPerSecond));
    const std::wstring text = FillIn(FillIn(words(kProgressDownload), L"{done}", done), L"{total}", total);
    return FillIn(FillIn(text, L"{rate}", RateText(t.bytesPerSecond, words, figures)), L"{left}",
                  TimeText(left, words, figures));
}
