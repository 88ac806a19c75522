#pragma once
// Steps the workflows share: proving a file is the vendor's, and starting
// and judging what was proven.
#include <functional>
#include <memory>
#include <string>

#include "install/job_system.h"
#include "install/job_window.h"

// The vendor's signature on the file, by the signer of the settings. A build
// made to allow unsigned packages (and only one) starts them unchecked.
bool SignedByVendor(IHeldFile& file, std::string& reason);

// A copy in the job's folder of a program delivered beside the installer,
// checked by check; null with the outcome when it is missing or refused.
using ProgramCheck = std::function<bool(IHeldFile& file, std::string& reason)>;
std::unique_ptr<IHeldFile> VerifiedCopy(IJobFolder& folder, IJobSystem& system, const std::wstring& relative,
                                        const std::wstring& name, const ProgramCheck& check, Outcome missing,
                                        JobOutcome& outcome);

// What a program run (an installer's, waited for or not) came to.
JobOutcome OutcomeOfRun(const ProcessRun& run, const std::string& what);

// Starts the held installer of job if the vendor signed it; a started
// one is noted in its folder, which then stays while it runs. started:
// whether it started.
JobOutcome StartSignedInstaller(const Job& job, IJobWindow& window, IJobFolder& folder, IJobSystem& system,
                                IHeldFile& installer, bool& started);

// What a setup that was waited for came to once the job's device was
// looked at again (a job without one: the setup's word).
JobOutcome CheckedDevice(const Job& job, IJobSystem& system, const JobOutcome& setup, const ProcessRun& run);
