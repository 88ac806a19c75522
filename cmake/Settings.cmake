# The one header that carries the build-time settings.
foreach(feature WIFI BLUETOOTH HOTSPOT RECEIVER)
  if(INSTALLER_FEATURE_${feature})
    set(INSTALLER_FEATURE_${feature}_VALUE true)
  else()
    set(INSTALLER_FEATURE_${feature}_VALUE false)
  endif()
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/cmake/build_settings.h.in
               ${CMAKE_BINARY_DIR}/generated/build_settings.h @ONLY)
