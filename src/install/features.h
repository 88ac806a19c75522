#pragma once
// The installer's jobs, one row each: everything the window, the quiet mode,
// the usage text and the workflows need to know of a job is in its row.
// Adding a job is adding a row (and its texts, controls and build switch).
#include <array>
#include <atomic>

#include "i18n/translation_keys.h"
#include "net/device_service.h"
#include "sys/os_version.h"
#include "sys/settings.h"

class IJobWindow;
class IJobSystem;
struct JobOutcome;
struct Feature;

// In the order the window shows them and quiet mode runs them, which is the
// order of cmake/Jobs.cmake.
enum class Job { Wifi, Bluetooth, Hotspot, Receiver };
constexpr int kJobCount = static_cast<int>(build::kJobCount);
static_assert(kJobCount == static_cast<int>(Job::Receiver) + 1, "cmake/Jobs.cmake lists the jobs of this enum");
// The job's place in the table, and in every per-job value of the settings.
constexpr std::size_t JobIndex(Job job) { return static_cast<std::size_t>(job); }

using Workflow = JobOutcome (*)(const Feature& feature, IJobWindow& window, IJobSystem& system);

struct Feature {
    Job job;
    int command;                      // the button's control id
    int bar;                          // the progress bar's control id; 0: none
    TranslationKey caption;
    TranslationKey installerMissing;  // shown when its installer is missing or refused
    Workflow workflow;
    const wchar_t* quietSwitch;       // "/wifi" chooses it in quiet mode
    const wchar_t* name;              // "Wi-Fi driver": the log's and the usage's name
    WindowsVersion minimumWindows;    // offered from this Windows on
    const char* resource;             // the device service's resource; null: delivered beside the program
    const char* query;                // with the resource: the query after "os=<this Windows>&"; null: none
    PackageKind package;              // what the service's answer points to
};

extern const std::array<Feature, kJobCount> kFeatures;

const Feature& FeatureOf(Job job);
// The row whose quiet switch is name ("wifi", any case); null when none is.
const Feature* FeatureBySwitch(const std::wstring& name);
// Whether this build offers it (the settings may say otherwise in tests).
bool Offered(const Feature& feature);
bool& Offered(Job job);  // the settings' switch, for tests to change
// What its installer is given: its silent switches when nobody may be asked
// (quiet mode), else nothing, as the window starts it.
std::wstring SilentArguments(const Feature& feature);
// Whether it is offered on this Windows.
bool OfferedOn(const Feature& feature, WindowsVersion windows);

// One run of each job at a time: its flag is set while a run is under way.
std::atomic<bool>& BusyFlag(Job job);
