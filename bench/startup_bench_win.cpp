// Starts a program again and again and measures, from process start, when its
// window first shows painted pixels and when it first answers a message.
// Usage: startup_bench <program.exe> <repetitions>
// Prints the median and the spread (min..max) of both, in milliseconds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "screen_win.h"

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] { LARGE_INTEGER f; ::QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Painted: the middle of the client area shows the window's own colour,
// not what was on the screen before (black).
bool Painted(HWND hwnd) {
    RECT client = {};
    ::GetClientRect(hwnd, &client);
    POINT middle = {client.right / 2, client.bottom / 8};
    ::ClientToScreen(hwnd, &middle);
    HDC screen = ::GetDC(nullptr);
    const COLORREF pixel = ::GetPixel(screen, middle.x, middle.y);
    ::ReleaseDC(nullptr, screen);
    return pixel != RGB(0, 0, 0) && pixel != CLR_INVALID;
}

struct Run { double painted, answered; };

bool Measure(const std::wstring& program, Run& run) {
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    const double start = Now();
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info))
        return false;
    HWND window = nullptr;
    run = {-1, -1};
    while (Now() - start < 30000 && (run.painted < 0 || run.answered < 0)) {
        if (!window) window = screen::WaitForWindow(info.dwProcessId, [](HWND) { return true; }, 0);
        if (window && run.painted < 0 && Painted(window)) run.painted = Now() - start;
        DWORD_PTR ignored = 0;
        if (window && run.answered < 0 && ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5, &ignored))
            run.answered = Now() - start;
        ::Sleep(1);
    }
    if (window) ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (::WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0) ::TerminateProcess(info.hProcess, 1);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    ::Sleep(300);  // let the screen settle before the next start
    return run.painted >= 0 && run.answered >= 0;
}

void Report(const wchar_t* program, const char* what, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::printf("%ls %s median=%.0f min=%.0f max=%.0f\n", program, what, values[values.size() / 2], values.front(),
                values.back());
}

}  // namespace

// startup_bench REPETITIONS PROGRAM...: the programs take turns, each round in
// another order, so that a busier moment of the machine weighs on all alike.
int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const int repetitions = _wtoi(argv[1]);
    const int programs = argc - 2;
    std::vector<std::vector<double>> painted(programs), answered(programs);
    for (int i = 0; i < repetitions; ++i)
        for (int turn = 0; turn < programs; ++turn) {
            const int p = (turn + i) % programs;
            Run run;
            if (!Measure(argv[2 + p], run)) {
                std::printf("run %d of %ls did not complete\n", i, argv[2 + p]);
                return 1;
            }
            painted[p].push_back(run.painted);
            answered[p].push_back(run.answered);
        }
    for (int p = 0; p < programs; ++p) {
        Report(argv[2 + p], "first_paint_ms", painted[p]);
        Report(argv[2 + p], "first_answer_ms", answered[p]);
    }
    return 0;
}
