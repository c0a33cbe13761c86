# The binding to kr_px_regex. It never links the library: the library is found
# at run time beside the program (CMAKE_BINARY_DIR/bin), so every program that
# uses the binding is put there, and a build of one waits for the library.
add_library(quenby_regex_binding STATIC ${CMAKE_CURRENT_LIST_DIR}/regex_binding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/$<IF:$<BOOL:${QUENBY_WINDOWS}>,regex_library_file_win32.cpp,regex_library_file_posix.cpp>)
target_link_libraries(quenby_regex_binding PUBLIC quenby_value ${CMAKE_DL_LIBS})
add_dependencies(quenby_regex_binding kr_px_regex)

set(QUENBY_BIN_DIR ${CMAKE_BINARY_DIR}/bin)

# The binding's own test beside the real library, and the same test from two
# folders of its own: one without any library, one with a library that lacks
# regfree. Both of those must fail to load.
function(quenby_regex_binding_test name expect folder)
  quenby_add_test(${name}
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/regex_binding_test.cpp
    LIBS quenby_regex_binding
    WORKDIR ${folder})
  target_compile_definitions(${name} PRIVATE REGEX_LIBRARY_EXPECTED=${expect})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${folder})
endfunction()

quenby_regex_binding_test(regex_binding_test 1 ${QUENBY_BIN_DIR})
quenby_regex_binding_test(regex_binding_missing_test 0 ${QUENBY_BIN_DIR}/regex-missing)
quenby_regex_binding_test(regex_binding_incomplete_test 0 ${QUENBY_BIN_DIR}/regex-incomplete)

if(QUENBY_WINDOWS)
  set(regex_library_suffix .dll)
else()
  set(regex_library_suffix .so)
endif()
add_library(kr_px_regex_incomplete SHARED ${CMAKE_CURRENT_LIST_DIR}/regex_binding_fake.c)
set_target_properties(kr_px_regex_incomplete PROPERTIES
  OUTPUT_NAME kr_px_regex
  PREFIX ""
  SUFFIX ${regex_library_suffix}
  LIBRARY_OUTPUT_DIRECTORY ${QUENBY_BIN_DIR}/regex-incomplete
  RUNTIME_OUTPUT_DIRECTORY ${QUENBY_BIN_DIR}/regex-incomplete
  ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/regex-incomplete)
add_dependencies(regex_binding_incomplete_test kr_px_regex_incomplete)
