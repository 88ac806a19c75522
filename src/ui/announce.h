#pragma once
// What screen readers hear of a text control: its window text is its name;
// each change is announced, and from Windows 8 on the control is a polite
// live region, so the change is read without moving the focus.
#include <windows.h>

// Marks control as a polite live region (Windows 8 and later; false elsewhere
// or when the accessibility services are not there).
bool MarkPoliteLiveRegion(HWND control);

// Gives control an alert state for screen readers (Windows 7, which has no
// live regions, reads an alert from a control that has one); false when the
// accessibility services are not there.
bool MarkAlertState(HWND control);

// Announces that control's text changed: a name change, and for a live
// region a live-region change.
void AnnounceTextChange(HWND control, bool liveRegion);

// Takes back what MarkPoliteLiveRegion and MarkAlertState set on the control (before it is destroyed).
void ClearLiveRegion(HWND control);
