# The installer's jobs, in the order of the job table (src/install/jobs.cpp),
# which is the window's and quiet mode's. Each has a build switch
# INSTALLER_FEATURE_<JOB> (ON for those in INSTALLER_JOBS_OFFERED) and the
# arguments that make its installer ask nothing, INSTALLER_SILENT_ARGS_<JOB>,
# and the hardware IDs of the adapter's function its driver serves,
# INSTALLER_DEVICE_IDS_<JOB> (separated by ";"; empty: the job looks at no device).
set(INSTALLER_JOBS WIFI BLUETOOTH HOTSPOT RECEIVER)
set(INSTALLER_JOBS_OFFERED WIFI BLUETOOTH)

foreach(job ${INSTALLER_JOBS})
  set(on OFF)
  if(job IN_LIST INSTALLER_JOBS_OFFERED)
    set(on ON)
  endif()
  option(INSTALLER_FEATURE_${job} "Offer the ${job} job's command" ${on})
  set(INSTALLER_SILENT_ARGS_${job} "" CACHE STRING
      "Arguments that make the ${job} job's installer run without asking anything; passed only by /quiet")
  set(INSTALLER_DEVICE_IDS_${job} "" CACHE STRING
      "Hardware IDs (USB\\VID_xxxx&PID_yyyy[&MI_nn], separated by ;) of the device the ${job} job's driver serves")
endforeach()
