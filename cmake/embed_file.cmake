# Writes a C++ file holding the bytes of a file: cmake -DIN=... -DOUT=...
# -DNAME=... -DHEADER=... -P embed_file.cmake
file(READ ${IN} bytes HEX)
string(LENGTH "${bytes}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${bytes}")
file(WRITE ${OUT} "// Written by the build from ${IN}.\n#include \"${HEADER}\"\n\n"
     "const char ${NAME}[] = {${bytes} '\\0'};\nconst size_t ${NAME}Size = ${size};\n")
