# The program's icon, one picture (packaging/pordane.svg) rendered to PNG at
# the sizes desktops ask for: the Linux package installs them, the Windows
# build compiles them in (it has no SVG module) and makes its .ico of them.
set(PORDANE_ICON_SIZES 16 22 24 32 48 64 128 256)
find_program(PORDANE_RSVG_CONVERT rsvg-convert)

# pordane_icon_pngs(<out-dir> <list-var>): <out-dir>/<n>x<n>/pordane.png for
# every size; the list is empty (and a warning says why) without rsvg-convert.
function(pordane_icon_pngs out_dir list_var)
  set(pngs)
  if(PORDANE_RSVG_CONVERT)
    foreach(size IN LISTS PORDANE_ICON_SIZES)
      set(png ${out_dir}/${size}x${size}/pordane.png)
      add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}/${size}x${size}
        COMMAND ${PORDANE_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${PROJECT_SOURCE_DIR}/packaging/pordane.svg
        DEPENDS ${PROJECT_SOURCE_DIR}/packaging/pordane.svg VERBATIM)
      list(APPEND pngs ${png})
    endforeach()
  else()
    message(WARNING "rsvg-convert not found (scripts/setup installs it): no PNG icons")
  endif()
  set(${list_var} ${pngs} PARENT_SCOPE)
endfunction()

# pordane_windows_ico(<out.ico> <png>...): a Windows icon holding the PNGs.
function(pordane_windows_ico out)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_custom_command(OUTPUT ${out}
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/cmake/make-ico.py ${out} ${ARGN}
    DEPENDS ${PROJECT_SOURCE_DIR}/cmake/make-ico.py ${ARGN} VERBATIM)
endfunction()
