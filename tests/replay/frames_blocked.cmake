# Runs padrelle-replay with --frames into a directory in which the frame of
# pass 2 cannot be written (a directory has its name): the replay must stop
# with status 1 and name the file.
#
#   cmake -DREPLAY=<padrelle-replay> -DTRACE=<x.trace> -DFRAMES=<dir>
#         -P frames_blocked.cmake
foreach(var REPLAY TRACE FRAMES)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "frames_blocked.cmake needs -D${var}=...")
  endif()
endforeach()

file(REMOVE_RECURSE ${FRAMES})
file(MAKE_DIRECTORY ${FRAMES}/pass-000002.png)
execute_process(COMMAND ${REPLAY} --frames ${FRAMES} ${TRACE}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status EQUAL 1)
  message(FATAL_ERROR "a frame that cannot be written ended with ${status}, not 1")
endif()
if(NOT err MATCHES "cannot write .*pass-000002.png")
  message(FATAL_ERROR "no message naming the frame file: ${err}")
endif()
if(EXISTS ${FRAMES}/pass-000003.png)
  message(FATAL_ERROR "the replay went on after the failed write")
endif()
