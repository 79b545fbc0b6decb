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
