#pragma once
// What the window shows for what a job came to.
#include <functional>
#include <string>
#include <vector>

#include "install/jobs.h"
#include "install/job_outcome.h"

struct Telling {
    bool message = false;                // the no-connection message
    std::vector<TranslationKey> status;  // a status text: these texts joined by a space; none: nothing
};

// The message only for the connection; a text of its own for every other
// failure. What the window started (or a setup program that failed on its
// own screen) needs no word: the user sees the program itself.
Telling TellingOf(const Job& job, const JobOutcome& outcome, bool bluetoothOffered);

// The status text: the words of its keys joined by a space (none after a
// full-width stop, as Chinese and Japanese write).
std::wstring StatusText(const Telling& telling, const std::function<std::wstring(TranslationKey)>& word);
