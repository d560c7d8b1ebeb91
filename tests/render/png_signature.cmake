# check_png_signature(FILE): fails the script unless FILE exists and starts
# with the eight bytes of the PNG signature.
function(check_png_signature file)
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "no file ${file}")
  endif()
  file(READ ${file} signature LIMIT 8 HEX)
  if(NOT signature STREQUAL "89504e470d0a1a0a")
    message(FATAL_ERROR "${file} does not start with the PNG signature")
  endif()
endfunction()
