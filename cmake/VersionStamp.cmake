# The program version stamped into executables: an ELF note on Linux
# (pordane_version_note), a VERSIONINFO resource in Windows builds.

# pordane_pack_version(<a.b.c.d> <ms-var> <ls-var>): the two words of a file version.
function(pordane_pack_version version ms_var ls_var)
  string(REPLACE "." ";" parts "${version}")
  list(GET parts 0 major)
  list(GET parts 1 minor)
  list(GET parts 2 release)
  list(GET parts 3 build)
  math(EXPR ms "((${major} & 65535) << 16) | (${minor} & 65535)")
  math(EXPR ls "((${release} & 65535) << 16) | (${build} & 65535)")
  set(${ms_var} ${ms} PARENT_SCOPE)
  set(${ls_var} ${ls} PARENT_SCOPE)
endfunction()

# pordane_version_rc(<out.rc> <file-version a.b.c.d> <product-version> <description>)
function(pordane_version_rc out file_version product_version description)
  string(REPLACE "." "," RC_FILE_VERSION "${file_version}")
  string(REPLACE "." "," RC_PRODUCT_VERSION "${product_version}")
  set(RC_FILE_VERSION_TEXT "${file_version}")
  set(RC_DESCRIPTION "${description}")
  set(RC_COMPANY "Pordane")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionInfo.rc.in ${out} @ONLY)
endfunction()

# pordane_version_note_library(<target> <a.b.c.d>): an object library whose
# one object carries the note; link it into an executable to stamp it.
function(pordane_version_note_library target version)
  pordane_pack_version(${version} ms ls)
  add_library(${target} OBJECT ${PROJECT_SOURCE_DIR}/src/platform/posix/VersionNote.cpp)
  target_compile_definitions(${target} PRIVATE PORDANE_VERSION_MS=${ms} PORDANE_VERSION_LS=${ls})
endfunction()

# pordane_tiny_pe(<target> <out.exe> <file-version> <product-version>): the
# smallest Windows program (tests/support/update/TinyPe.c), built with MinGW's
# windres and C compiler whatever the build's own system, carrying a
# VERSIONINFO, for the version readers' tests.
function(pordane_tiny_pe target out file_version product_version)
  if(WIN32)
    set(windres ${CMAKE_RC_COMPILER})
    set(cc ${CMAKE_C_COMPILER})
  else()
    find_program(PORDANE_MINGW_WINDRES x86_64-w64-mingw32-windres REQUIRED)
    find_program(PORDANE_MINGW_CC NAMES x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-gcc REQUIRED)
    set(windres ${PORDANE_MINGW_WINDRES})
    set(cc ${PORDANE_MINGW_CC})
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  set(res ${CMAKE_CURRENT_BINARY_DIR}/${target}.res)
  pordane_version_rc(${rc} ${file_version} ${product_version} "Pordane test")
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${windres} ${rc} -O coff -o ${res}
    COMMAND ${cc} -nostdlib -e entry -s -o ${out} ${PROJECT_SOURCE_DIR}/tests/support/update/TinyPe.c ${res}
    DEPENDS ${PROJECT_SOURCE_DIR}/tests/support/update/TinyPe.c ${rc}
    COMMENT "Building a tiny PE with a VERSIONINFO resource")
  add_custom_target(${target} DEPENDS ${out})
endfunction()
