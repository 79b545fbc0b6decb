# The Windows build's dependencies from the folder scripts/windows-deps
# prints: Qt (found by the toolchain's search root) and libsodium, static,
# under the name the Linux build gets from pkg-config.
if(NOT PORDANE_WINDOWS_DEPS OR NOT EXISTS "${PORDANE_WINDOWS_DEPS}/qt-6.4.2/lib/cmake/Qt6")
  message(FATAL_ERROR "The Windows build needs its dependencies: run scripts/windows-deps and pass its folder "
                      "as PORDANE_WINDOWS_DEPS (scripts/test windows does both). Given: '${PORDANE_WINDOWS_DEPS}'")
endif()
set(PORDANE_WINDOWS_QT "${PORDANE_WINDOWS_DEPS}/qt-6.4.2")
set(sodium "${PORDANE_WINDOWS_DEPS}/libsodium-1.0.18")
add_library(PkgConfig::SODIUM STATIC IMPORTED GLOBAL)
set_target_properties(PkgConfig::SODIUM PROPERTIES
  IMPORTED_LOCATION "${sodium}/lib/libsodium.a"
  INTERFACE_INCLUDE_DIRECTORIES "${sodium}/include"
  INTERFACE_COMPILE_DEFINITIONS SODIUM_STATIC=1)

# Where Wine finds Qt's libraries and the compiler's runtime for the tests
# (scripts/helpers/wine-run reads it next to the build's prefix); Qt finds
# its plugins from where Qt6Core.dll lies.
set(wine_path "Z:${PORDANE_WINDOWS_QT}/bin;Z:/usr/lib/gcc/x86_64-w64-mingw32/12-posix;Z:/usr/x86_64-w64-mingw32/lib")
string(REPLACE "/" "\\" wine_path "${wine_path}")
file(WRITE ${CMAKE_BINARY_DIR}/wine-path "${wine_path}")
