# ternikprobe on recordings written by another tool: comtrade-dump prints the header and the
# samples; comtrade-copy saves a set whole, in either data format, and the copy dumps the same
# samples; load finds the COMTRADE interface by itself; a missing set fails with a message.
function(run out)
  execute_process(COMMAND "${PROBE}" ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE o ERROR_VARIABLE e)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "ternikprobe ${ARGN} failed (${rc}): ${e}")
  endif()
  if(NOT e STREQUAL "")
    message(FATAL_ERROR "ternikprobe ${ARGN} warned: ${e}")
  endif()
  set(${out} "${o}" PARENT_SCOPE)
endfunction()

include("${CMAKE_CURRENT_LIST_DIR}/ComtradeSamples.cmake")

run(bin comtrade-dump "${DATA}/sample_bin.cfg")
foreach(line "station: station" "device: equipment" "revision: 1999" "line frequency: 60"
             "data format: BINARY" "time multiplier: 1" "start: 07/01/2017,15:35:41.958268"
             "trigger: 07/01/2017,15:35:41.958333" "analog channels: 4" "status channels: 16"
             "rate segments: 15360,5" "analog ids: VA|VB|VC|VN"
             "t,VA,VB,VC,VN,ST_1,ST_2,ST_3,ST_4,ST_5,ST_6,ST_7,ST_8,ST_9,ST_10,ST_11,ST_12,ST_13,ST_14,ST_15,ST_16")
  string(FIND "${bin}" "${line}\n" at)
  if(at LESS 0)
    message(FATAL_ERROR "comtrade-dump lacks \"${line}\":\n${bin}")
  endif()
endforeach()
# The first sample: time 0, VA = 0.000361849 x -24979 (0x9E6D).
string(REGEX MATCH "\n0,-9\\.03862617[0-9]*," first "${bin}")
if(first STREQUAL "")
  message(FATAL_ERROR "comtrade-dump's first sample is wrong:\n${bin}")
endif()

# A copy in the other format, and a copy of that copy back in the first, dump alike. Where
# the source's multipliers have at most 16 decimals (what a configuration keeps), the first
# copy also dumps like its source.
foreach(set sample_ascii:exact sample_bin:exact sample_iso8859-1_bin:close sample_iso8859-1:close)
  string(REPLACE ":" ";" parts "${set}")
  list(GET parts 0 name)
  list(GET parts 1 how)
  run(orig comtrade-dump "${DATA}/${name}.cfg")
  samples(orig "${orig}")
  foreach(fmt --ascii --binary)
    if(fmt STREQUAL "--ascii")
      set(back --binary)
    else()
      set(back --ascii)
    endif()
    file(REMOVE_RECURSE "${WORKDIR}/cmtrcopy")
    file(MAKE_DIRECTORY "${WORKDIR}/cmtrcopy")
    run(ignored comtrade-copy "${DATA}/${name}.cfg" "${WORKDIR}/cmtrcopy/one.cfg" ${fmt})
    foreach(f one.cfg one.dat one.inf)
      if(NOT EXISTS "${WORKDIR}/cmtrcopy/${f}")
        message(FATAL_ERROR "comtrade-copy ${fmt} did not write ${f}")
      endif()
    endforeach()
    run(ignored comtrade-copy "${WORKDIR}/cmtrcopy/one.cfg" "${WORKDIR}/cmtrcopy/two.CFG" ${back})
    if(NOT EXISTS "${WORKDIR}/cmtrcopy/two.DAT")
      message(FATAL_ERROR "comtrade-copy ${back} did not write two.DAT")
    endif()
    run(one load "${WORKDIR}/cmtrcopy/one.cfg")
    run(two load "${WORKDIR}/cmtrcopy/two.CFG")
    samples(one "${one}")
    samples(two "${two}")
    if(NOT one STREQUAL two)
      message(FATAL_ERROR "copies of ${name} (${fmt}, then ${back}) differ:\n${one}\n---\n${two}")
    endif()
    if(how STREQUAL "exact" AND NOT one STREQUAL orig)
      message(FATAL_ERROR "the ${fmt} copy of ${name} differs:\n${orig}\n---\n${one}")
    endif()
  endforeach()
endforeach()

execute_process(COMMAND "${PROBE}" comtrade-dump "${WORKDIR}/none.cfg" RESULT_VARIABLE rc ERROR_VARIABLE e OUTPUT_QUIET)
if(rc EQUAL 0 OR NOT e MATCHES "error: ")
  message(FATAL_ERROR "a missing set did not fail: ${rc} ${e}")
endif()
