# What makes the Windows executables whole: their resources (VERSIONINFO from
# PORDANE_VERSION, the program's icon, and for the window the restarter as
# RCDATA "UPD") and the folder that runs as it is, with Qt beside it.

set(PORDANE_WINDOWS_ICON ${CMAKE_BINARY_DIR}/windows-icon/pordane.ico)
if(NOT TARGET pordane_windows_icon)
  pordane_icon_pngs(${CMAKE_BINARY_DIR}/windows-icon/png icon_pngs)
  if(NOT icon_pngs)
    message(FATAL_ERROR "The Windows icon is rendered with rsvg-convert (scripts/setup installs it)")
  endif()
  pordane_windows_ico(${PORDANE_WINDOWS_ICON} ${icon_pngs})
  add_custom_target(pordane_windows_icon DEPENDS ${PORDANE_WINDOWS_ICON})
endif()

# pordane_windows_resources(<target> <description> [RCDATA <name> <file>]):
# the target's .rc, compiled in.
function(pordane_windows_resources target description)
  cmake_parse_arguments(ARG "" "" "RCDATA" ${ARGN})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  set(version_rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
  pordane_version_rc(${version_rc} ${PORDANE_VERSION} ${PORDANE_VERSION} "${description}")
  set(text "#include \"${version_rc}\"\n1 ICON \"${PORDANE_WINDOWS_ICON}\"\n")
  set(depends ${PORDANE_WINDOWS_ICON})
  if(ARG_RCDATA)
    list(GET ARG_RCDATA 0 name)
    list(GET ARG_RCDATA 1 file)
    string(APPEND text "${name} RCDATA \"${file}\"\n")
    list(APPEND depends ${file})
  endif()
  file(GENERATE OUTPUT ${rc} CONTENT "${text}")
  target_sources(${target} PRIVATE ${rc})
  # windres reads the included files itself; CMake does not see them.
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${depends};${version_rc}")
  add_dependencies(${target} pordane_windows_icon)
endfunction()

# pordane_windows_folder(<folder> <target>...): the targets' executables, Qt's
# libraries and plugins, and the compiler's runtime that Qt's libraries need,
# copied into one folder after every build of them.
function(pordane_windows_folder folder)
  set(qt ${PORDANE_WINDOWS_QT})
  set(gcc_runtime /usr/lib/gcc/x86_64-w64-mingw32/12-posix)
  set(files ${qt}/bin/Qt6Core.dll ${qt}/bin/Qt6Gui.dll ${qt}/bin/Qt6Widgets.dll
      ${gcc_runtime}/libstdc++-6.dll ${gcc_runtime}/libgcc_s_seh-1.dll
      /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll)
  foreach(f IN LISTS files)
    if(NOT EXISTS ${f})
      message(FATAL_ERROR "The Windows folder needs ${f}")
    endif()
  endforeach()
  set(commands COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}/platforms ${folder}/styles ${folder}/imageformats
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${files} ${folder}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${qt}/plugins/platforms/qwindows.dll
              ${qt}/plugins/platforms/qoffscreen.dll ${folder}/platforms
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${qt}/plugins/styles/qwindowsvistastyle.dll ${folder}/styles
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${qt}/plugins/imageformats/qico.dll
              ${qt}/plugins/imageformats/qjpeg.dll ${folder}/imageformats)
  foreach(target IN LISTS ARGN)
    list(APPEND commands COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${target}> ${folder})
  endforeach()
  add_custom_target(pordane_windows_folder ALL ${commands} DEPENDS ${ARGN}
    COMMENT "Collecting the Windows program in ${folder}" VERBATIM)
endfunction()
