# Windows tests run under Wine, in a prefix that belongs to this build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

# GoogleTest compiled with the MinGW toolchain from Debian's sources.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

# Registers every TEST of a Wine test program as its own CTest test.
function(installer_add_wine_tests target)
  gtest_add_tests(TARGET ${target} TEST_LIST added)
  set_tests_properties(${added} PROPERTIES LABELS wine TIMEOUT 120)
endfunction()
