#pragma once
// The steps a package goes through, whether it comes from the device
// service or from an offline layout: fetched into a job folder of its own,
// checked, unpacked, and what is to be started found and proven.
#include <memory>
#include <string>

#include "install/job_system.h"
#include "install/job_window.h"
#include "net/device_service.h"

// A package in a new folder of the job's own.
struct Package {
    std::unique_ptr<IJobFolder> folder;
    std::wstring name;     // the file's name in the folder
    ServiceAnswer answer;  // where it came from and the hash it must have
    bool started = false;  // something runs from its folder
};

// The service's os value for the job on this Windows; empty when its
// resource names none.
std::string OsValueFor(const Job& job, IJobSystem& system);

// Asks the service for the job's package for the Windows named osValue.
JobOutcome AskService(const Job& job, IJobWindow& window, IJobSystem& system, const std::string& osValue,
                      ServiceAnswer& answer);

// Downloads the answer's package into a new job folder, showing the bar.
JobOutcome DownloadPackage(const Job& job, IJobWindow& window, IJobSystem& system, Package& package);

// The service named a hash: the held file must have it.
bool HashMatches(IHeldFile& file, const ServiceAnswer& answer, JobOutcome& outcome);

// Unpacks the held archive with the pinned archiver and finds its Setup.exe,
// held; setup stays null unless the outcome is done.
JobOutcome UnpackAndFindSetup(const Job& job, IJobWindow& window, IJobSystem& system, Package& package,
                              std::unique_ptr<IHeldFile>& setup);

// What the job's package comes to before anything is started: the file
// to start (the package itself, or the archive's Setup.exe), held, proven by
// hash when there is one; its signature is the caller's to check.
JobOutcome InstallerOfPackage(const Job& job, IJobWindow& window, IJobSystem& system, Package& package,
                              std::unique_ptr<IHeldFile>& installer);

// What a step's end means when the job was cancelled meanwhile: cancelled,
// whatever the step's own failure said.
JobOutcome UnlessCancelled(IJobSystem& system, JobOutcome outcome);
