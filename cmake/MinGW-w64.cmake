# Cross-compiling the program for 64-bit Windows. The dependencies' folder
# (scripts/windows-deps: Qt and libsodium) joins the search root, so Qt's
# packages and libsodium are found there and nothing of the Linux system is.
include(${CMAKE_CURRENT_LIST_DIR}/MinGW-w64-base.cmake)

if(DEFINED ENV{PORDANE_WINDOWS_DEPS} AND NOT PORDANE_WINDOWS_DEPS)
  set(PORDANE_WINDOWS_DEPS "$ENV{PORDANE_WINDOWS_DEPS}")
endif()
if(PORDANE_WINDOWS_DEPS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${PORDANE_WINDOWS_DEPS}/qt-6.4.2 ${PORDANE_WINDOWS_DEPS}/libsodium-1.0.18)
  list(APPEND CMAKE_PREFIX_PATH ${PORDANE_WINDOWS_DEPS}/qt-6.4.2 ${PORDANE_WINDOWS_DEPS}/libsodium-1.0.18)
  # Qt's moc, rcc and uic come from Debian's Linux Qt of the same version.
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()

# Windows 7 API level, wide-character Win32 calls.
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=0x0601 -DUNICODE -D_UNICODE")
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0601 -DUNICODE -D_UNICODE")
# The compiler's runtime is linked into every executable; Qt's DLLs bring
# their own copy of it (collected next to the program).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# pkg-config must not hand Linux libraries to the cross build.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${PORDANE_MINGW_TRIPLE}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
