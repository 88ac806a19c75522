# The one header that carries the build-time settings.
# A C++ string literal's content.
function(installer_literal out text)
  string(REPLACE "\\" "\\\\" escaped "${text}")
  string(REPLACE "\"" "\\\"" escaped "${escaped}")
  set(${out} "${escaped}" PARENT_SCOPE)
endfunction()

# Per job, in the job table's order: its name, build switch and silent
# arguments, as C++ initialisers (strings, not lists: an argument may hold ";").
set(INSTALLER_JOB_NAMES "")
set(INSTALLER_JOBS_OFFERED_VALUES "")
set(INSTALLER_SILENT_ARGS_VALUES "")
set(INSTALLER_DEVICE_IDS_VALUES "")
set(separator "")
foreach(job ${INSTALLER_JOBS})
  set(value false)
  if(INSTALLER_FEATURE_${job})
    set(value true)
  endif()
  installer_literal(literal "${INSTALLER_SILENT_ARGS_${job}}")
  string(APPEND INSTALLER_JOB_NAMES "${separator}\"${job}\"")
  string(APPEND INSTALLER_JOBS_OFFERED_VALUES "${separator}${value}")
  string(APPEND INSTALLER_SILENT_ARGS_VALUES "${separator}\"${literal}\"")
  string(REPLACE ";" "|" ids "${INSTALLER_DEVICE_IDS_${job}}")
  installer_literal(literal "${ids}")
  string(APPEND INSTALLER_DEVICE_IDS_VALUES "${separator}\"${literal}\"")
  set(separator ", ")
endforeach()
list(LENGTH INSTALLER_JOBS INSTALLER_JOB_COUNT)

# A program that starts installers elevated without knowing whose they are
# is only built on purpose.
if(INSTALLER_PACKAGE_SIGNER STREQUAL "")
  if(NOT INSTALLER_ALLOW_UNSIGNED_PACKAGES)
    message(FATAL_ERROR "INSTALLER_PACKAGE_SIGNER is empty: set the common name of the vendor's "
                        "code-signing certificate, or INSTALLER_ALLOW_UNSIGNED_PACKAGES=ON to build a program "
                        "that starts installers without checking who signed them")
  endif()
  message(WARNING "INSTALLER_ALLOW_UNSIGNED_PACKAGES: this build starts installers without checking who signed them")
  set(INSTALLER_UNSIGNED_VALUE true)
else()
  set(INSTALLER_UNSIGNED_VALUE false)
endif()

string(TOLOWER "${INSTALLER_ARCHIVER_SHA256}" INSTALLER_ARCHIVER_SHA256_LOWER)
if(NOT INSTALLER_ARCHIVER_SHA256_LOWER MATCHES "^[0-9a-f]+$")
  message(FATAL_ERROR "INSTALLER_ARCHIVER_SHA256 must be the 64 hex digits of the shipped 7za.exe's SHA-256")
endif()
string(LENGTH "${INSTALLER_ARCHIVER_SHA256_LOWER}" length)
if(NOT length EQUAL 64)
  message(FATAL_ERROR "INSTALLER_ARCHIVER_SHA256 must be the 64 hex digits of the shipped 7za.exe's SHA-256")
endif()
if(INSTALLER_ARCHIVER_SHA256_LOWER MATCHES "^0+$" AND NOT INSTALLER_ARCHIVER_PIN_SHIM)
  message(STATUS "INSTALLER_ARCHIVER_SHA256 is the placeholder: this build unpacks nothing until the vendor "
                 "pins the 7za.exe it ships")
endif()

installer_literal(INSTALLER_PACKAGE_SIGNER_LITERAL "${INSTALLER_PACKAGE_SIGNER}")

# A bundled offline layout is proven by the program's own signature: the
# manifest it ships with is pinned here, and no other one is taken on its word.
set(INSTALLER_LAYOUT_MANIFEST_SHA256 "")
if(INSTALLER_OFFLINE_LAYOUT)
  set(manifest "${INSTALLER_OFFLINE_LAYOUT}/packages/manifest.json")
  if(NOT EXISTS "${manifest}")
    message(FATAL_ERROR "INSTALLER_OFFLINE_LAYOUT: ${INSTALLER_OFFLINE_LAYOUT} is no offline layout: "
                        "it has no packages/manifest.json")
  endif()
  file(SHA256 "${manifest}" INSTALLER_LAYOUT_MANIFEST_SHA256)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${manifest}")
endif()

configure_file(${CMAKE_SOURCE_DIR}/cmake/build_settings.h.in
               ${CMAKE_BINARY_DIR}/generated/build_settings.h @ONLY)
# The archiver's pin: the cache value, or (tests, demo) the shim this build
# makes, hashed once it is linked (src/CMakeLists.txt).
if(NOT (WIN32 AND INSTALLER_ARCHIVER_PIN_SHIM))
  set(ARCHIVER_SHA256 ${INSTALLER_ARCHIVER_SHA256_LOWER})
  configure_file(${CMAKE_SOURCE_DIR}/cmake/archiver_pin.h.in ${CMAKE_BINARY_DIR}/generated/archiver_pin.h @ONLY)
endif()
