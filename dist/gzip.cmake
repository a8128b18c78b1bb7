# Compresses one file as Debian wants its documentation: best compression, no
# name or time stamp inside, so that the same source gives the same bytes.
#   -DGZIP=gzip -DIN=file -DOUT=file.gz
execute_process(COMMAND ${GZIP} -9nc ${IN} OUTPUT_FILE ${OUT} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  file(REMOVE ${OUT})
  message(FATAL_ERROR "gzip failed on ${IN}")
endif()
