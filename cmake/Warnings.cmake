add_library(installer_warnings INTERFACE)
target_compile_options(installer_warnings INTERFACE -Wall -Wextra -Wshadow
                       $<$<BOOL:${INSTALLER_WERROR}>:-Werror>)

add_library(installer_sanitizers INTERFACE)
if(INSTALLER_SANITIZE AND NOT WIN32)
  target_compile_options(installer_sanitizers INTERFACE
                         -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(installer_sanitizers INTERFACE -fsanitize=address,undefined)
endif()

# The cross build must see Boost's headers and nothing else of the host's /usr/include.
if(WIN32)
  set(INSTALLER_BOOST_ROOT ${CMAKE_BINARY_DIR}/boost-include)
  file(MAKE_DIRECTORY ${INSTALLER_BOOST_ROOT})
  file(CREATE_LINK /usr/include/boost ${INSTALLER_BOOST_ROOT}/boost SYMBOLIC)
else()
  set(INSTALLER_BOOST_ROOT /usr/include)
endif()
