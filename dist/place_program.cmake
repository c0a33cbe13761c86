# place_program(SOURCE DESTINATION): a program or library as it travels,
# without its debugging information (STRIP names the tool; without it the
# file is copied as built). Included by the scripts that assemble folders.
function(place_program source destination)
  if(STRIP)
    execute_process(COMMAND ${STRIP} --strip-all -o ${destination} ${source} RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "Can't strip ${source}")
    endif()
  else()
    file(COPY_FILE ${source} ${destination})
  endif()
endfunction()
