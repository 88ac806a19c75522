#pragma once
// The program's switches, declared once, as the jobs and the outcomes are:
// parsing, the usage text (/?), README's table and what each one chooses
// all come from this table. The jobs' own switches (/wifi ...) come from
// the job table and stand where its row marks their place. Portable.
#include <array>
#include <string>

#include "sys/run_choices.h"

struct Switch {
    const wchar_t* name;   // after the '/' or '-', in lower case; empty: the jobs' switches
    const wchar_t* value;  // what it takes, as the usage names it (L"DIR"); null: nothing
    const wchar_t* needs;  // what a missing value is called (L"a folder")
    bool install;          // taken by an install: the window, /passive, /quiet
    bool layout;           // taken with /layout
    bool detect;           // taken with /detect
    bool orPrevious;       // the usage's synopsis offers it instead of the switch before it
    // What /? says it does; {jobs} and {languages} name the build's, and a
    // new line goes on in the usage's second column.
    const wchar_t* usage;
    const char* readme;    // what README's switch table says it does; {languages} as above
    // Takes the switch and its value into the choices; a usage error, or empty.
    std::wstring (*Take)(RunChoices& run, const std::wstring& value);
};

extern const std::array<Switch, 11> kSwitches;

// The row of the switch with this name (in lower case), or null.
const Switch* SwitchNamed(const std::wstring& name);

// "/layout DIR", "/quiet"; the jobs' row: each offered job's switch, joined by separator.
std::wstring SwitchHead(const Switch& row, const wchar_t* separator);
