# Runs `kivprobe COMMAND INPUT ARGS...` (COMMAND: listing, the default, or chart) and compares
# its output with the EXPECTED file.
# With RAWBUF set, INPUT is first built by `kivprobe raw -buffile RAWBUF -kivtype KIVTYPE`.
if(NOT DEFINED COMMAND)
  set(COMMAND listing)
endif()
if(DEFINED RAWBUF)
  execute_process(COMMAND ${PROBE} raw -buffile ${RAWBUF} -kivtype ${KIVTYPE} -o ${INPUT}
    ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "kivprobe raw failed (${rc}): ${err}")
  endif()
endif()
separate_arguments(extra UNIX_COMMAND "${ARGS}")
execute_process(COMMAND ${PROBE} ${COMMAND} ${INPUT} ${extra} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "kivprobe ${COMMAND} failed (${rc}): ${err}")
endif()
file(READ ${EXPECTED} expected)
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "kivprobe ${COMMAND} of ${INPUT} ${ARGS} differs:\n--- got\n${out}--- expected\n${expected}")
endif()
