#include "install/progress_text.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr double kKb = 1024.0, kMb = kKb * 1024, kGb = kMb * 1024;

// One decimal, with the language's sign: "12.3", "12,3".
std::wstring OneDecimal(double value, const WordsFn& words) {
    wchar_t text[32] = {};
    std::swprintf(text, 32, L"%.1f", value);
    std::wstring number = text;
    const std::wstring sign = words(kDecimalSign);
    const std::size_t point = number.find(L'.');
    if (point != std::wstring::npos) number.replace(point, 1, sign.empty() ? L"." : sign);
    return number;
}

std::wstring Unit(TranslationKey unit, const std::wstring& number, const WordsFn& words) {
    return FillIn(words(unit), L"{n}", number);
}

}  // namespace

std::wstring FillIn(std::wstring text, const wchar_t* name, const std::wstring& value) {
    const std::wstring key = name;
    for (std::size_t at = text.find(key); at != std::wstring::npos; at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
    return text;
}

std::wstring SizeText(unsigned long long bytes, const WordsFn& words) {
    const double size = static_cast<double>(bytes);
    // Rounded as shown: 1023.96 MB reads 1.0 GB, not 1024.0 MB.
    if (size >= kGb - 0.05 * kMb) return Unit(kUnitGb, OneDecimal(size / kGb, words), words);
    if (size >= kMb - 0.5 * kKb) return Unit(kUnitMb, OneDecimal(size / kMb, words), words);
    return Unit(kUnitKb, std::to_wstring(static_cast<unsigned long long>(std::llround(size / kKb))), words);
}

std::wstring RateText(double bytesPerSecond, const WordsFn& words) {
    return FillIn(words(kUnitRate), L"{n}", SizeText(static_cast<unsigned long long>(bytesPerSecond), words));
}

std::wstring TimeText(unsigned long long seconds, const WordsFn& words) {
    if (seconds < 90) return Unit(kUnitSeconds, std::to_wstring(seconds == 0 ? 1 : seconds), words);
    return Unit(kUnitMinutes, std::to_wstring((seconds + 30) / 60), words);
}

std::wstring ProgressText(const JobProgress& progress, const WordsFn& words) {
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
    const std::wstring done = SizeText(t.done, words);
    const bool rated = t.bytesPerSecond >= 1.0;
    if (t.total == 0) return rated ? FillIn(FillIn(words(kProgressDownloadNoTotal), L"{done}", done), L"{rate}",
                                            RateText(t.bytesPerSecond, words))
                                   : done;
    const std::wstring soFar = FillIn(FillIn(words(kProgressDownloadSoFar), L"{done}", done), L"{total}",
                                      SizeText(t.total, words));
    if (!rated || t.done >= t.total) return soFar;
    const auto left = static_cast<unsigned long long>(std::llround(static_cast<double>(t.total - t.done) / t.bytesPerSecond));
    std::wstring text = FillIn(FillIn(words(kProgressDownload), L"{done}", done), L"{total}", SizeText(t.total, words));
    return FillIn(FillIn(text, L"{rate}", RateText(t.bytesPerSecond, words)), L"{left}", TimeText(left, words));
}
