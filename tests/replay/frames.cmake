# Runs padrelle-replay with --frames into a fresh directory and checks that
# the strokes are exactly the expected ones (frames change nothing in them)
# and that there is one frame file per pass of the trace.
#
#   cmake -DREPLAY=<padrelle-replay> -DTRACE=<x.trace> -DEXPECTED=<x.expected>
#         -DFRAMES=<dir> -DPASSES=<n> -P frames.cmake
foreach(var REPLAY TRACE EXPECTED FRAMES PASSES)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "frames.cmake needs -D${var}=...")
  endif()
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/../render/png_signature.cmake)

file(REMOVE_RECURSE ${FRAMES})
execute_process(COMMAND ${REPLAY} --frames ${FRAMES} ${TRACE}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT err STREQUAL "")
  message(FATAL_ERROR "replay with --frames ended with ${status}: ${err}")
endif()
file(READ ${EXPECTED} expected)
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "strokes with --frames differ from ${EXPECTED}:\n${out}")
endif()

file(GLOB frames ${FRAMES}/*)
list(LENGTH frames count)
if(NOT count EQUAL PASSES)
  message(FATAL_ERROR "${count} files in ${FRAMES}, expected ${PASSES}: ${frames}")
endif()
foreach(pass RANGE 1 ${PASSES})
  string(LENGTH "${pass}" digits)
  math(EXPR zeros "6 - ${digits}")
  string(REPEAT "0" ${zeros} padding)
  check_png_signature(${FRAMES}/pass-${padding}${pass}.png)
endforeach()
