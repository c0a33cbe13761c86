# Makes the setup folder hold exactly the seven files of the distribution,
# and zips it. Run as: cmake -DSETUP_DIR=... -DPROGRAM=... -DLIBRARY=...
#   -DUNINSTALLER=... -DDATA_DIR=... -DZIP=... [-DSTRIP=...] -P assemble_setup.cmake
foreach(var SETUP_DIR PROGRAM LIBRARY UNINSTALLER DATA_DIR ZIP)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "assemble_setup.cmake needs -D${var}=...")
  endif()
endforeach()

# Whatever an earlier build or a test left there goes first.
file(REMOVE_RECURSE ${SETUP_DIR})
file(MAKE_DIRECTORY ${SETUP_DIR})

# The one program file is the installer under the name setup.exe.
include(${CMAKE_CURRENT_LIST_DIR}/place_program.cmake)
place_program(${PROGRAM} ${SETUP_DIR}/setup.exe)
place_program(${LIBRARY} ${SETUP_DIR}/kr_px_regex.dll)
place_program(${UNINSTALLER} ${SETUP_DIR}/remove.exe)
foreach(name readme.txt help.html license.txt htmltoc.gif)
  file(COPY_FILE ${DATA_DIR}/${name} ${SETUP_DIR}/${name})
endforeach()

get_filename_component(parent ${SETUP_DIR} DIRECTORY)
get_filename_component(folder ${SETUP_DIR} NAME)
file(REMOVE ${ZIP})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip
          ${folder}/setup.exe ${folder}/kr_px_regex.dll ${folder}/remove.exe
          ${folder}/readme.txt ${folder}/help.html ${folder}/license.txt ${folder}/htmltoc.gif
  WORKING_DIRECTORY ${parent}
  RESULT_VARIABLE zipped)
if(NOT zipped EQUAL 0)
  message(FATAL_ERROR "Can't make ${ZIP}")
endif()
