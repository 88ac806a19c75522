#pragma once
// Every text the user reads, declared once: its name in the program, its key
// in the catalogue and its kind. The enum, the key names and the list of
// texts the window must fit all come from this list; a key added here without
// a text in every section of data\translation.json fails the catalogue test.
#include <array>
#include <functional>
#include <string>

enum class TextKind {
    Caption,  // a command's button
    Status,   // a text on the status line
    Hint,     // added to a status text
    Message,  // the message dialog's text
    Progress, // the status line's while a job works; {done}, {total}, {rate}, {left} filled in
    Unit,     // a number's unit ({n}; hours and minutes {h} and {m}), for the progress texts
    Name,     // what a screen reader calls a control that shows no text (a job's cancel)
    Device,   // the line about the adapter above the commands; {version} filled in
};

#define INSTALLER_TRANSLATION_KEYS(X)                   \
    X(kInstallWifi, INSTALL_WIFI, Caption)              \
    X(kInstallBt, INSTALL_BT, Caption)                  \
    X(kInstallHotspot, INSTALL_HOTSPOT, Caption)        \
    X(kInstallRx, INSTALL_RX, Caption)                  \
    X(kWifiInstalled, WIFI_INSTALLED, Status)           \
    X(kHintDlBt, HINT_DL_BT, Hint)                      \
    X(kWifiInstallerMiss, WIFI_INSTALLER_MISS, Status)  \
    X(kBtInstallerMiss, BT_INSTALLER_MISS, Status)      \
    X(kRxInstallerMiss, RX_INSTALLER_MISS, Status)      \
    X(kBtUnpackFailed, BT_UNPACK_FAILED, Status)        \
    X(kPkgNotTrusted, PKG_NOT_TRUSTED, Status)          \
    X(kNoPackageForOs, NO_PACKAGE_FOR_OS, Status)       \
    X(kDlNotSaved, DL_NOT_SAVED, Status)                \
    X(kSecureConnectionFailed, SECURE_CONNECTION_FAILED, Status) \
    X(kServiceFailed, SERVICE_FAILED, Status)           \
    X(kHintNoInternet, HINT_NO_INTERNET, Message)       \
    X(kNeedsKb2533623, NEEDS_KB2533623, Message)       \
    X(kSetupStarted, SETUP_STARTED, Status)             \
    X(kInstallCancelled, INSTALL_CANCELLED, Status)     \
    X(kDeviceReplug, DEVICE_REPLUG, Status)             \
    X(kDeviceRestart, DEVICE_RESTART, Status)           \
    X(kDeviceNotPlugged, DEVICE_NOT_PLUGGED, Device)    \
    X(kDeviceWifiReady, DEVICE_WIFI_READY, Device)      \
    X(kDeviceBtReady, DEVICE_BT_READY, Device)          \
    X(kCancelBt, CANCEL_BT, Name)                       \
    X(kCancelHotspot, CANCEL_HOTSPOT, Name)             \
    X(kCancelRx, CANCEL_RX, Name)                       \
    X(kProgressAsking, PROGRESS_ASKING, Progress)       \
    X(kProgressDownload, PROGRESS_DOWNLOAD, Progress)   \
    X(kProgressDownloadSoFar, PROGRESS_DOWNLOAD_SO_FAR, Progress) \
    X(kProgressDownloadNoTotal, PROGRESS_DOWNLOAD_NO_TOTAL, Progress) \
    X(kProgressChecking, PROGRESS_CHECKING, Progress)   \
    X(kProgressUnpacking, PROGRESS_UNPACKING, Progress) \
    X(kProgressStarting, PROGRESS_STARTING, Progress)   \
    X(kUnitKb, UNIT_KB, Unit)                           \
    X(kUnitMb, UNIT_MB, Unit)                           \
    X(kUnitGb, UNIT_GB, Unit)                           \
    X(kUnitRate, UNIT_RATE, Unit)                       \
    X(kUnitSeconds, UNIT_SECONDS, Unit)                 \
    X(kUnitMinutes, UNIT_MINUTES, Unit)                 \
    X(kUnitHours, UNIT_HOURS, Unit)                     \
    X(kUnitHoursMinutes, UNIT_HOURS_MINUTES, Unit)

#define INSTALLER_KEY_ENUM(name, key, kind) name,
enum TranslationKey { INSTALLER_TRANSLATION_KEYS(INSTALLER_KEY_ENUM) kTranslationKeyCount };
#undef INSTALLER_KEY_ENUM

// The catalogue's key names and the kinds, indexed by TranslationKey.
extern const std::array<const wchar_t*, kTranslationKeyCount> kTranslationKeys;
extern const std::array<TextKind, kTranslationKeyCount> kTranslationKinds;

// What a text reads in the run's language.
using WordsFn = std::function<std::wstring(TranslationKey)>;
