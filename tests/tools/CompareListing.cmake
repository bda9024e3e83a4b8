# Runs `kivprobe listing INPUT ARGS...` and compares its output with the EXPECTED file.
# With RAWBUF set, INPUT is first built by `kivprobe raw -buffile RAWBUF -kivtype KIVTYPE`.
if(DEFINED RAWBUF)
  execute_process(COMMAND ${PROBE} raw -buffile ${RAWBUF} -kivtype ${KIVTYPE} -o ${INPUT}
    ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "kivprobe raw failed (${rc}): ${err}")
  endif()
endif()
separate_arguments(extra UNIX_COMMAND "${ARGS}")
execute_process(COMMAND ${PROBE} listing ${INPUT} ${extra} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "kivprobe listing failed (${rc}): ${err}")
endif()
file(READ ${EXPECTED} expected)
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "kivprobe listing of ${INPUT} differs:\n--- got\n${out}--- expected\n${expected}")
endif()
