# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix threads), the
# programs run under Wine. Libraries for the target come from the folders named in the
# environment's TOBRAK_MINGW_ROOTS (scripts/test-windows and scripts/package-windows put
# GoogleTest, Qt and the other libraries there), never from the build machine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
# From the environment, so that CMake's own test projects see the same folders.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 $ENV{TOBRAK_MINGW_ROOTS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Self-contained test programs: no MinGW runtime DLLs to copy beside them. The programs
# built on Qt's DLLs share its runtime DLLs instead (scripts/package-windows clears this).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
