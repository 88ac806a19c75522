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
# beside Installer.exe, where every install looks first. Read when installing,
# so that a layout can also be given then: cmake -DINSTALLER_OFFLINE_LAYOUT=DIR -P cmake_install.cmake
install(CODE "
  if(NOT DEFINED INSTALLER_OFFLINE_LAYOUT)
    set(INSTALLER_OFFLINE_LAYOUT \"${INSTALLER_OFFLINE_LAYOUT}\")
  endif()
  if(INSTALLER_OFFLINE_LAYOUT)
    if(NOT EXISTS \"\${INSTALLER_OFFLINE_LAYOUT}/packages/manifest.json\")
      message(FATAL_ERROR \"\${INSTALLER_OFFLINE_LAYOUT} is no offline layout: it has no packages/manifest.json\")
    endif()
    file(INSTALL \"\${INSTALLER_OFFLINE_LAYOUT}/packages\" DESTINATION \"\${CMAKE_INSTALL_PREFIX}\"
         PATTERN \"*.new\" EXCLUDE)
  endif()
")
install(FILES ${CMAKE_SOURCE_DIR}/packaging/VENDOR.txt DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Installer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Installer-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
