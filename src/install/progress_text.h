#pragma once
// The status line's words for what a job is doing, from the catalogue's
// texts with the numbers put in: "12.3 MB of 48.0 MB, 2.1 MB/s, about 17 s
// left" in the run's language, its units and its decimal sign. Portable.
#include <string>

#include "i18n/translation_keys.h"
#include "install/job_progress.h"

// "980 KB", "12.3 MB", "1.2 GB" (1 KB = 1024 bytes, as Windows counts).
std::wstring SizeText(unsigned long long bytes, const WordsFn& words);
// "2.1 MB/s".
std::wstring RateText(double bytesPerSecond, const WordsFn& words);
// "17 s"; from 90 s on, whole minutes: "2 min".
std::wstring TimeText(unsigned long long seconds, const WordsFn& words);
// The text for the progress; empty for a phase that shows none (ended), or
// a transfer that knows nothing yet.
std::wstring ProgressText(const JobProgress& progress, const WordsFn& words);

// The catalogue text with each {name} replaced.
std::wstring FillIn(std::wstring text, const wchar_t* name, const std::wstring& value);
