# Cross-building for Windows with MinGW-w64 from a Linux host:
#   cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DKORDAN_GUI=OFF
# The programs run on Windows or under Wine. Everything is linked statically, so a test
# binary needs no MinGW runtime DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)

# i686-w64-mingw32 builds a 32-bit program, which a 32-bit controller library needs.
set(KORDAN_MINGW_PREFIX x86_64-w64-mingw32 CACHE STRING "Prefix of the MinGW-w64 tools")
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR "${KORDAN_MINGW_PREFIX}")

# The "posix" thread model brings std::thread and std::mutex; the "win32" one of older
# compilers lacks them. Take it where it is installed.
find_program(KORDAN_MINGW_CXX NAMES ${KORDAN_MINGW_PREFIX}-g++-posix ${KORDAN_MINGW_PREFIX}-g++
             REQUIRED)
find_program(KORDAN_MINGW_CC NAMES ${KORDAN_MINGW_PREFIX}-gcc-posix ${KORDAN_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${KORDAN_MINGW_CXX})
if(KORDAN_MINGW_CC)
    set(CMAKE_C_COMPILER ${KORDAN_MINGW_CC})
endif()
set(CMAKE_RC_COMPILER ${KORDAN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KORDAN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Lets ctest and gtest_discover_tests run the test programs under Wine.
find_program(KORDAN_WINE NAMES wine64 wine)
if(KORDAN_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${KORDAN_WINE})
endif()
