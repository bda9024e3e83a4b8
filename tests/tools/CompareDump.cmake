# Runs `kivprobe dump INPUT` and compares its output with the EXPECTED file.
execute_process(COMMAND ${PROBE} dump ${INPUT} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "kivprobe dump failed (${rc}): ${err}")
endif()
file(READ ${EXPECTED} expected)
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "kivprobe dump of ${INPUT} differs:\n--- got\n${out}--- expected\n${expected}")
endif()
