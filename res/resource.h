#pragma once
// Resource and control identifiers.
#define IDD_INSTALLER_DIALOG 102
#define IDD_NO_CONNECTION_MSG 132
#define IDR_MAINFRAME 128
#define IDB_BUTTON_FACE 130
#define IDB_LOGO 131
#define IDB_OK_FACE 142
// The same artwork drawn for 150 and 200 % (res/draw_artwork.sh).
#define IDB_BUTTON_FACE_150 150
#define IDB_BUTTON_FACE_200 151
#define IDB_LOGO_150 152
#define IDB_LOGO_200 153
#define IDB_OK_FACE_150 154
#define IDB_OK_FACE_200 155

#define IDC_BTN_WIFI 1000
#define IDC_BTN_BLUETOOTH 1001
#define IDC_BTN_RECEIVER 1002
#define IDC_PROGRESS_BLUETOOTH 1003
#define IDC_STATUS 1004
#define IDC_DEVICE 1014
#define IDC_PROGRESS_HOTSPOT 1005
#define IDC_PROGRESS_RECEIVER 1006
#define IDC_BTN_HOTSPOT 1009
#define IDC_NO_CONNECTION_TEXT 1010
// The cancel beside each bar, shown while its job downloads, copies or unpacks.
#define IDC_CANCEL_BLUETOOTH 1011
#define IDC_CANCEL_HOTSPOT 1012
#define IDC_CANCEL_RECEIVER 1013
