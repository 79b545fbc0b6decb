# One place for compiler warnings, applied to every target of ours.
function(pordane_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
  # clang (the fuzz preset) spells GCC's -Wshadow=local differently.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    target_compile_options(${target} PRIVATE -Wshadow-uncaptured-local)
  else()
    target_compile_options(${target} PRIVATE -Wshadow=local)
  endif()
  if(PORDANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# A static library for one src/ folder: pordane_<name>.
function(pordane_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  add_library(pordane_${name} STATIC ${ARG_SOURCES})
  target_include_directories(pordane_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(pordane_${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
  pordane_warnings(pordane_${name})
endfunction()
