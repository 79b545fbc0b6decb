# The cross compilers for 64-bit Windows (Debian's MinGW-w64, posix threads,
# so std::thread and std::mutex work) and where they look for libraries.
# Shared by the program's toolchain and the build of its dependencies
# (scripts/windows-deps).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PORDANE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PORDANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PORDANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PORDANE_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PORDANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
