#pragma once
// Controls for the fake system services that the native tests link.
#include <string>
#include <vector>

namespace fake {

void SetProgramFolder(const std::string& folder);  // a native folder
void SetUiLanguage(unsigned short langId);
std::vector<std::string> TakeDebugOutput();        // the lines logged so far (UTF-8), and clear them
int ReadCount();                                    // catalogue reads so far

}  // namespace fake
