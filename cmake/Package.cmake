# The release bundle: cmake --build <build> --target package
install(TARGETS Installer RUNTIME DESTINATION .)
# Signed in the bundle, so that SmartScreen, UAC and Smart App Control name the vendor.
if(INSTALLER_SIGNING_CERT)
  find_program(INSTALLER_OSSLSIGNCODE osslsigncode REQUIRED)
  set(timestamp "")
  if(INSTALLER_SIGNING_TIMESTAMP_URL)
    set(timestamp "-ts \"${INSTALLER_SIGNING_TIMESTAMP_URL}\"")
  endif()
  install(CODE "
    set(exe \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/Installer.exe\")
    file(REMOVE \"\${exe}.signed\")
    execute_process(COMMAND \"${INSTALLER_OSSLSIGNCODE}\" sign -certs \"${INSTALLER_SIGNING_CERT}\"
                            -key \"${INSTALLER_SIGNING_KEY}\" -h sha256 -n \"USB Bluetooth Wireless Adapter\" ${timestamp}
                            -in \"\${exe}\" -out \"\${exe}.signed\"
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(RENAME \"\${exe}.signed\" \"\${exe}\")
  ")
endif()
install(FILES ${CMAKE_SOURCE_DIR}/data/translation.json DESTINATION data)
# An offline layout made by Installer.exe /layout: its packages folder goes
# beside Installer.exe. The program pins its manifest (cmake/Settings.cmake):
# one changed since the build is refused here rather than by every install.
if(INSTALLER_OFFLINE_LAYOUT)
  install(CODE "
    file(SHA256 \"${INSTALLER_OFFLINE_LAYOUT}/packages/manifest.json\" shipped)
    if(NOT shipped STREQUAL \"${INSTALLER_LAYOUT_MANIFEST_SHA256}\")
      message(FATAL_ERROR \"${INSTALLER_OFFLINE_LAYOUT}: its manifest changed since the program pinned it: build again\")
    endif()
    file(INSTALL \"${INSTALLER_OFFLINE_LAYOUT}/packages\" DESTINATION \"\${CMAKE_INSTALL_PREFIX}\"
         PATTERN \"*.new\" EXCLUDE)
  " COMPONENT layout)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/packaging/VENDOR.txt DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Installer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Installer-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
