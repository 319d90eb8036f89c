# Cross-build 32-bit Windows programs that need std::thread (the riddle
# site): the DLL's toolchain with the compiler of the POSIX thread model.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
