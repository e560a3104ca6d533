# Turns a data file into a C++ source holding its bytes, so that resources
# are compiled into the executables. Usage (inside the script mode):
#   cmake -DIN=file -DOUT=file.cpp -DSYMBOL=name -P Embed.cmake
file(READ "${IN}" _hex HEX)
string(LENGTH "${_hex}" _len)
math(EXPR _size "${_len} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," _bytes "${_hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" _bytes "${_bytes}")
file(WRITE "${OUT}" "// Generated from ${IN}; do not edit.\n#include <cstddef>\n#include <cstdint>\nextern const std::uint8_t ${SYMBOL}[];\nextern const std::size_t ${SYMBOL}_size;\nconst std::uint8_t ${SYMBOL}[] = {\n${_bytes}0x00};\nconst std::size_t ${SYMBOL}_size = ${_size};\n")
