#pragma once
// The installer's jobs, one row each: everything the window, the quiet mode,
// the usage text and the workflows need to know of a job is in its row.
// Adding a job is adding a row, its name in cmake/Jobs.cmake, and its
// texts, controls and window template.
#include <array>
#include <atomic>
#include <optional>

#include "i18n/translation_keys.h"
#include "install/package_rules.h"
#include "net/device_service.h"
#include "sys/os_version.h"
#include "sys/settings.h"

class IJobWindow;
class IJobSystem;
struct JobOutcome;
struct Job;

// Which job: in the order the window shows them and quiet mode runs them,
// which is the order of cmake/Jobs.cmake.
enum class JobId { Wifi, Bluetooth, Hotspot, Receiver };
constexpr int kJobCount = static_cast<int>(build::kJobCount);
static_assert(kJobCount == static_cast<int>(JobId::Receiver) + 1, "cmake/Jobs.cmake lists the jobs of this enum");
// The job's place in the table, and in every per-job value of the settings.
constexpr std::size_t JobIndex(JobId id) { return static_cast<std::size_t>(id); }

// Offered on every Windows the program runs on: no oldest one.
constexpr std::nullopt_t kAnyWindows = std::nullopt;

using Workflow = JobOutcome (*)(const Job& job, IJobWindow& window, IJobSystem& system);

struct Job {
    JobId id;
    int command;                      // the button's control id
    int bar;                          // the progress bar's control id; 0: none
    int cancel;                       // the cancel beside the bar; 0: none
    TranslationKey caption;
    TranslationKey cancelName;        // what screen readers call its cancel; with cancel only
    TranslationKey installerMissing;  // shown when its installer is missing or refused
    Workflow workflow;
    const wchar_t* quietSwitch;       // "/wifi" chooses it in quiet mode
    const wchar_t* name;              // "Wi-Fi driver": the log's and the usage's name
    std::optional<WindowsVersion> minimumWindows;  // offered from this Windows on, or on kAnyWindows
    const char* resource;             // the device service's resource; null: delivered beside the program
    const char* query;                // with the resource: the query after "os=<this Windows>&"; null: none
    PackageKind package;              // what the service's answer points to
    TranslationKey deviceReady;       // the adapter line's "driver {version} installed"; none without a device
};

extern const std::array<Job, kJobCount> kJobs;

const Job& JobOf(JobId id);
// The row whose quiet switch is name ("wifi", any case); null when none is.
const Job* JobBySwitch(const std::wstring& name);
// Whether this build offers it (the settings may say otherwise in tests).
bool Offered(const Job& job);
bool& Offered(JobId id);  // the settings' switch, for tests to change
// What its installer is given: its silent switches when nobody may be asked
// (quiet mode), else nothing, as the window starts it.
std::wstring SilentArguments(const Job& job);
// Whether it is offered on this Windows.
bool OfferedOn(const Job& job, WindowsVersion windows);

// One run of each job at a time: its flag is set while a run is under way.
std::atomic<bool>& BusyFlag(JobId id);
