# Runs padrelle-render into a fresh file and checks its status and that the
# file is a PNG file; with STATUS other than 0, that it ends with that status
# and writes nothing.
#
#   cmake -DRENDER=<padrelle-render> -DOUT=<file.png> [-DARGS=a;b;...]
#         [-DSTATUS=n] -P render_png.cmake
foreach(var RENDER OUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "render_png.cmake needs -D${var}=...")
  endif()
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/png_signature.cmake)

file(REMOVE ${OUT})
execute_process(COMMAND ${RENDER} ${ARGS} ${OUT} ERROR_VARIABLE err RESULT_VARIABLE status)
if(DEFINED STATUS AND NOT STATUS EQUAL 0)
  if(NOT status EQUAL STATUS)
    message(FATAL_ERROR "padrelle-render ended with ${status}, not ${STATUS}: ${err}")
  endif()
  if(EXISTS ${OUT})
    message(FATAL_ERROR "padrelle-render wrote ${OUT} all the same")
  endif()
  return()
endif()
if(NOT status EQUAL 0)
  message(FATAL_ERROR "padrelle-render ended with ${status}: ${err}")
endif()
check_png_signature(${OUT})
