#pragma once
// The status line's words for what a job is doing, from the catalogue's
// texts with the figures put in: "12.3 MB of 48.0 MB, 2.10 MB/s, about
// 20 s left". The unit words and the order of the parts are the
// catalogue's; the decimal sign and the grouping the user's locale's. Portable.
#include <string>

#include "i18n/translation_keys.h"
#include "install/job_progress.h"
#include "sys/number_format.h"

// "980 KB", "0.98 MB", "12.3 MB", "123 MB", "1.21 GB": three figures, the
// next unit from 1000 of one on (1 KB = 1024 bytes, as Windows counts).
std::wstring SizeText(unsigned long long bytes, const WordsFn& words, const NumberFacts& figures);
// "2.10 MB/s".
std::wstring RateText(double bytesPerSecond, const WordsFn& words, const NumberFacts& figures);
// In steps as Windows' copy dialogs count: 5-second steps and never under
// "5 s"; whole minutes from 90 s ("2 min"); hours and minutes past 90
// minutes ("1 h 31 min").
std::wstring TimeText(unsigned long long seconds, const WordsFn& words, const NumberFacts& figures);
// The text for the progress; empty for a phase that shows none (ended), or
// a transfer that knows nothing yet.
std::wstring ProgressText(const JobProgress& progress, const WordsFn& words, const NumberFacts& figures);

// The catalogue text with each {name} replaced.
std::wstring FillIn(std::wstring text, const wchar_t* name, const std::wstring& value);
