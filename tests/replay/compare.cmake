# Runs padrelle-replay on one trace and compares what it did with the
# expected file, exactly. The expected file holds the standard output; after
# it, for a run that does not end with status 0, a line "exit N", and every
# line of standard error prefixed "stderr: ".
#
#   cmake -DREPLAY=<padrelle-replay> -DTRACE=<x.trace> -DEXPECTED=<x.expected>
#         [-DLAYOUT=<name>] -P compare.cmake
foreach(var REPLAY TRACE EXPECTED)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "compare.cmake needs -D${var}=...")
  endif()
endforeach()

set(layout_option)
if(DEFINED LAYOUT)
  set(layout_option --layout ${LAYOUT})
endif()
execute_process(COMMAND ${REPLAY} ${layout_option} ${TRACE}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)

set(actual "${out}")
if(NOT status EQUAL 0)
  string(APPEND actual "exit ${status}\n")
endif()
if(NOT err STREQUAL "")
  string(REGEX REPLACE "\n$" "" err "${err}")
  string(REPLACE "\n" "\nstderr: " err "${err}")
  string(APPEND actual "stderr: ${err}\n")
endif()

file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
  message("--- expected\n${expected}--- actual\n${actual}---")
  message(FATAL_ERROR "replay of ${TRACE} differs from ${EXPECTED}")
endif()
