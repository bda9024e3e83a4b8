# kivprobe raw builds a document from raw buffer files and saves it; kivprobe dump reads it
# back. A file that cannot be read gives the program's message and a non-zero exit.
set(out ${WORKDIR}/raw_probe.kiv)
file(REMOVE ${out})
execute_process(COMMAND ${PROBE} raw -buffile ${FIXTURES}/packed_v3.kiv -zns1file ${FIXTURES}/image_kivs3.kiv
                        -KIVTYPE Kivs3 -o ${out}
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "kivprobe raw failed (${rc}): ${err}")
endif()
execute_process(COMMAND ${PROBE} dump ${out} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
foreach(line "model: 2" "event register length: 780" "set 1 length: 512" "set 2 length: 0" "definitions: Kivs3.set")
  string(FIND "${dump}" "${line}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "dump of the raw document lacks '${line}':\n${dump}")
  endif()
endforeach()

execute_process(COMMAND ${PROBE} raw -zns2file ${WORKDIR}/no-such-file.bin -o ${WORKDIR}/never.kiv
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "Nie udało się załadować pliku: .*no-such-file.bin")
  message(FATAL_ERROR "a missing raw file: rc ${rc}, message '${err}'")
endif()
if(EXISTS ${WORKDIR}/never.kiv)
  message(FATAL_ERROR "a failed raw build saved a document")
endif()
execute_process(COMMAND ${PROBE} raw -x -o ${WORKDIR}/never.kiv RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err STREQUAL "Nieznane polecenie: x\n")
  message(FATAL_ERROR "an unknown option: rc ${rc}, message '${err}'")
endif()
