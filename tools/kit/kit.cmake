# The release kit, zorvane-<version>-win32.zip: the 32-bit modules (the game
# and the sign-in module beside it), the riddle site for Windows, the riddle
# collection and the operator's guides.
#
# Made in the Windows build of the site (ZORVANE_WINDOWS_SITE), from the
# modules that the DLLs' own build made (zorvane-signin.dll beside zorvane.dll):
#   cmake ... -DZORVANE_KIT_DLL=build/win32/zorvane.dll && cmake --build ... --target package
set(ZORVANE_KIT_DLL "" CACHE FILEPATH "The 32-bit zorvane.dll that the kit ships")

# This build is for the site: the modules here would come from another
# compiler than the one that builds the product, so they are never built.
set_target_properties(zorvane zorvane-signin zorvane_core PROPERTIES EXCLUDE_FROM_ALL TRUE)

if(NOT ZORVANE_KIT_DLL)
  message(STATUS "No ZORVANE_KIT_DLL: the site builds, the kit does not")
  return()
endif()

# The version is the descriptor's second line.
file(STRINGS ${PROJECT_SOURCE_DIR}/src/plugin/descriptor_constants.h version_line
     REGEX "// version$")
string(REGEX MATCH "\"([0-9.]+)\"" version_quoted "${version_line}")
set(ZORVANE_VERSION ${CMAKE_MATCH_1})
if(NOT ZORVANE_VERSION)
  message(FATAL_ERROR "kit: no version found in descriptor_constants.h")
endif()

get_filename_component(dll_build ${ZORVANE_KIT_DLL} DIRECTORY)
set(ZORVANE_KIT_SIGNIN_DLL ${dll_build}/zorvane-signin.dll)
if(NOT EXISTS ${ZORVANE_KIT_SIGNIN_DLL})
  message(FATAL_ERROR "kit: no zorvane-signin.dll beside ${ZORVANE_KIT_DLL}")
endif()

install(FILES ${ZORVANE_KIT_DLL} ${ZORVANE_KIT_SIGNIN_DLL} DESTINATION .)
install(TARGETS zorvane-site RUNTIME DESTINATION .)
install(FILES ${ZORVANE_BUNDLED_RIDDLES} ${CMAKE_CURRENT_LIST_DIR}/GUIDE-zh.txt
              ${CMAKE_CURRENT_LIST_DIR}/GUIDE-en.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME zorvane)
set(CPACK_PACKAGE_VERSION ${ZORVANE_VERSION})
set(CPACK_PACKAGE_FILE_NAME zorvane-${ZORVANE_VERSION}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
