# Draws the picture again and compares it with the committed one.
execute_process(COMMAND ${GENERATOR} ${OUTPUT} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${GENERATOR} failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${COMMITTED} RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "${COMMITTED} is not what htmltoc_gif draws; run it to update the picture")
endif()
