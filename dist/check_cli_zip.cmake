# The command line's zip holds its folder with exactly the program, its
# library and the plain-text manual, and unpacks into UNPACK_DIR for the
# test that runs the program from there. Run as a test:
#   cmake -DZIP=... -DUNPACK_DIR=... -P check_cli_zip.cmake
set(folder quenby-toc-1.0-win32)
set(expected kr_px_regex.dll quenby-toc.exe quenby-toc.txt)

include(${CMAKE_CURRENT_LIST_DIR}/zip_holds.cmake)
zip_holds(${ZIP} ${folder} ${expected})

file(REMOVE_RECURSE ${UNPACK_DIR})
file(MAKE_DIRECTORY ${UNPACK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${ZIP} WORKING_DIRECTORY ${UNPACK_DIR} RESULT_VARIABLE bad)
if(bad)
  message(FATAL_ERROR "Can't unpack ${ZIP}")
endif()
set(unpacked ${UNPACK_DIR}/${folder})

# The manual reads as text in Notepad: every option is there, and no
# formatting codes are left. file(READ) drops carriage returns, so the line
# ends are looked at as bytes: each line feed follows a carriage return.
file(READ ${unpacked}/quenby-toc.txt manual)
foreach(wanted "NAME" "SYNOPSIS" "--index OUT.html" "--recursive")
  string(FIND "${manual}" "${wanted}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "The manual in the zip lacks '${wanted}'")
  endif()
endforeach()
file(READ ${unpacked}/quenby-toc.txt bytes HEX)
string(REGEX REPLACE "(..)" " \\1" bytes "${bytes}")
string(REPLACE " 0d 0a" "" bytes "${bytes}")
foreach(unwanted " 08" " 1b" " 0a")
  string(FIND "${bytes}" "${unwanted}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "The manual in the zip is not plain text with CR LF line ends")
  endif()
endforeach()
foreach(name quenby-toc.exe kr_px_regex.dll)
  file(READ ${unpacked}/${name} head LIMIT 2 HEX)
  if(NOT head STREQUAL "4d5a")
    message(FATAL_ERROR "${name} in the zip is not a Windows program file")
  endif()
endforeach()
