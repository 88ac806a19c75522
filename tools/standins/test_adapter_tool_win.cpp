// Sets the test adapter's state in the prefix it runs in, for the tests'
// start and the demo: test_adapter plugged | drivers | unplugged.
#include <cwchar>

#include "test_adapter_win.h"

int wmain(int argc, wchar_t** argv) {
    const wchar_t* state = argc > 1 ? argv[1] : L"";
    if (!std::wcscmp(state, L"unplugged")) adapter::Unplug();
    else if (!std::wcscmp(state, L"plugged")) adapter::Plug(false, false);
    else if (!std::wcscmp(state, L"drivers")) adapter::Plug(true, true);
    else return 1639;
    return 0;
}
