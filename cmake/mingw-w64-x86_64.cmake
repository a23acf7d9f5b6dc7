# Cross-building for 64-bit Windows with Debian's mingw-w64 (the posix thread
# model, which std::thread and std::mutex need), running the tests under Wine:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MW_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MW_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MW_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${MW_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MW_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs that need no DLLs of the compiler beside them: the C++ and thread
# runtimes are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs the test programs, and lists their cases, through Wine.
find_program(MW_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(MW_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${MW_WINE})
endif()
