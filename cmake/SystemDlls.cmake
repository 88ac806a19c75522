# The program runs elevated, often from a Downloads folder where anyone may put
# a DLL. Windows looks for a static import that is not a Known DLL in the
# program's folder first, before any code of ours runs. So those DLLs are
# imported through delay-load libraries: they load at first use, after the
# program has limited the search to System32.
# In the order they are loaded ahead where Windows lacks SetDefaultDllDirectories:
# a DLL the others import comes before them.
set(INSTALLER_DELAYED_DLLS ole32 oleaut32 shlwapi shell32 uxtheme version crypt32 wintrust winhttp wininet comctl32 msi
    setupapi)

# The program loads them from System32 by full path (src/app/dll_search_win.cpp).
list(TRANSFORM INSTALLER_DELAYED_DLLS PREPEND "L\"" OUTPUT_VARIABLE names)
list(TRANSFORM names APPEND ".dll\"")
list(JOIN names ", " INSTALLER_DELAYED_DLL_NAMES)
configure_file(${CMAKE_SOURCE_DIR}/cmake/delayed_dlls.h.in ${CMAKE_BINARY_DIR}/generated/delayed_dlls.h @ONLY)

add_library(installer_system32_dlls INTERFACE)
if(WIN32)
  find_program(INSTALLER_NM x86_64-w64-mingw32-nm REQUIRED)
  find_program(INSTALLER_DLLTOOL x86_64-w64-mingw32-dlltool REQUIRED)
  set(out ${CMAKE_BINARY_DIR}/delayimp)
  file(MAKE_DIRECTORY ${out})
  foreach(dll ${INSTALLER_DELAYED_DLLS})
    # The exports come from MinGW's own import library of the same DLL.
    find_library(import_${dll} NAMES lib${dll}.a REQUIRED)
    execute_process(COMMAND ${INSTALLER_NM} -g --defined-only ${import_${dll}}
                    OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL " I __imp_[A-Za-z0-9_]+" exports "${symbols}")
    list(TRANSFORM exports REPLACE " I __imp_" "")
    list(REMOVE_DUPLICATES exports)
    string(JOIN "\n" exports ${exports})
    file(WRITE ${out}/${dll}.def "LIBRARY ${dll}.dll\nEXPORTS\n${exports}\n")
    execute_process(COMMAND ${INSTALLER_DLLTOOL} --input-def ${out}/${dll}.def
                            --output-delaylib ${out}/lib${dll}_delay.a --dllname ${dll}.dll
                    COMMAND_ERROR_IS_FATAL ANY)
    target_link_libraries(installer_system32_dlls INTERFACE ${out}/lib${dll}_delay.a)
  endforeach()
endif()
