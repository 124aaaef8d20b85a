# Writes a C++ source holding files' bytes as arrays, so the program carries
# its icon without reading anything at run time.
# Usage: cmake -DOUTPUT=<file.cpp> -DNAMESPACE=<ns> "-DFILES=name1=path1;name2=path2" -P embed_files.cmake
set(text "// Generated from res/ by embed_files.cmake; do not edit.\n#include <cstddef>\n\nnamespace ${NAMESPACE} {\n")
foreach(entry IN LISTS FILES)
  string(REGEX MATCH "^([^=]+)=(.*)$" _ "${entry}")
  set(name "${CMAKE_MATCH_1}")
  set(path "${CMAKE_MATCH_2}")
  file(READ "${path}" hex HEX)
  string(LENGTH "${hex}" hexLength)
  math(EXPR size "${hexLength} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){16})" "\\1\n  " bytes "${bytes}")
  string(APPEND text "extern const unsigned char ${name}[${size}] = {\n  ${bytes}\n};\nextern const size_t ${name}Size = ${size};\n")
endforeach()
string(APPEND text "}\n")
file(WRITE "${OUTPUT}" "${text}")
