# The setup folder and its zip hold exactly the seven files, the data files
# as they stand in the source tree. Run as a test:
#   cmake -DSETUP_DIR=... -DDATA_DIR=... -DZIP=... -P check_distribution.cmake
set(expected help.html htmltoc.gif kr_px_regex.dll license.txt readme.txt remove.exe setup.exe)

file(GLOB present RELATIVE ${SETUP_DIR} ${SETUP_DIR}/*)
list(SORT present)
if(NOT present STREQUAL expected)
  message(FATAL_ERROR "The setup folder holds: ${present}\nexpected: ${expected}")
endif()
foreach(name readme.txt help.html license.txt htmltoc.gif)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${DATA_DIR}/${name} ${SETUP_DIR}/${name}
                  RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${name} in the setup folder is not the one of the source tree")
  endif()
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/zip_holds.cmake)
zip_holds(${ZIP} setup ${expected})
