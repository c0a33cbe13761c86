# Makes the command line's zip for Windows: a folder of quenby-toc.exe, the
# regular-expression library it loads from beside itself, and the manual
# page as plain text with Windows line ends, zipped with the folder.
# Run as: cmake -DFOLDER=... -DPROGRAM=... -DLIBRARY=... -DMANUAL=...
#   -DGROFF=... -DZIP=... [-DSTRIP=...] -P assemble_cli_zip.cmake
foreach(var FOLDER PROGRAM LIBRARY MANUAL GROFF ZIP)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "assemble_cli_zip.cmake needs -D${var}=...")
  endif()
endforeach()

file(REMOVE_RECURSE ${FOLDER})
file(MAKE_DIRECTORY ${FOLDER})
include(${CMAKE_CURRENT_LIST_DIR}/place_program.cmake)
place_program(${PROGRAM} ${FOLDER}/quenby-toc.exe)
place_program(${LIBRARY} ${FOLDER}/kr_px_regex.dll)

# UTF-8 rather than ASCII: the manual's examples hold letters beyond ASCII.
# -P-cbou: no escape sequences and no overstriking, only the characters;
# -rHY=0: no words broken at line ends, so that a search finds every option.
execute_process(COMMAND ${GROFF} -man -Tutf8 -P-cbou -rHY=0 ${MANUAL}
                OUTPUT_VARIABLE text RESULT_VARIABLE failed ERROR_VARIABLE complaints)
if(failed OR text STREQUAL "")
  message(FATAL_ERROR "Can't format ${MANUAL}: ${complaints}")
endif()
string(REGEX REPLACE "[ \t]+\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${FOLDER}/quenby-toc.txt "${text}")

get_filename_component(parent ${FOLDER} DIRECTORY)
get_filename_component(folder ${FOLDER} NAME)
file(REMOVE ${ZIP})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip
          ${folder}/quenby-toc.exe ${folder}/kr_px_regex.dll ${folder}/quenby-toc.txt
  WORKING_DIRECTORY ${parent}
  RESULT_VARIABLE zipped)
if(NOT zipped EQUAL 0)
  message(FATAL_ERROR "Can't make ${ZIP}")
endif()
