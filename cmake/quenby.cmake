# Helpers shared by every folder's CMakeLists.txt.
#
# QUENBY_WINDOWS is true in the mingw-w64 cross build, false in the native build.
# quenby_add_test(<name> SOURCES <files...> [LIBS <targets...>] [WORKDIR <dir>])
#   builds one GoogleTest program and registers it as one ctest test (under
#   Wine in the cross build: starting Wine costs seconds, so one process per
#   program, never one per case). Every test links the file layer's seams for
#   disk failures, which no program links.

if(WIN32)
  set(QUENBY_WINDOWS TRUE)
else()
  set(QUENBY_WINDOWS FALSE)
endif()

function(quenby_add_test name)
  cmake_parse_arguments(T "" "WORKDIR;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} quenby_fs_test_hooks quenby_gtest_main)
  if(NOT T_WORKDIR)
    set(T_WORKDIR ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${T_WORKDIR})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()
