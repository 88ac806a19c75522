#pragma once
// The window's button on the taskbar, showing how far its jobs have come.
#include <windows.h>

#include <memory>

#include "ui/taskbar_view.h"

class ITaskbarButton {
public:
    virtual ~ITaskbarButton() = default;
    virtual void Show(const TaskbarView& view) = 0;
};

// The message the shell sends once the window's taskbar button exists;
// only then can it show progress.
UINT TaskbarButtonCreatedMessage();
// Lets that message through to the elevated window: Explorer runs at a lower
// integrity level, whose messages above WM_USER Windows drops unless allowed.
void AllowTaskbarButtonMessages(HWND window);
// Where the allowing goes instead of ChangeWindowMessageFilterEx (tests);
// null: Windows'.
using MessageFilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT);
void SetMessageFilterForTests(MessageFilterFn filter);
// The button through ITaskbarList3 (on the window's thread, with COM
// initialised there); null where the shell offers none.
std::unique_ptr<ITaskbarButton> OpenTaskbarButton(HWND window);
