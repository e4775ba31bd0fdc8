# Writes a C++ source that holds a file's bytes as an array, so the program
# carries its pictures without depending on files beside it.
#   cmake -DINPUT=<file> -DOUTPUT=<file.cc> -DSYMBOL=<name> -P embed_file.cmake
# defines `extern const unsigned char <SYMBOL>[]` and
# `extern const std::size_t <SYMBOL>Size` in namespace app::qt::embedded.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Break the array into lines of 16 bytes (5 characters each).
string(REGEX REPLACE "((0x..,){16})" "\\1\n  " bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT}; do not edit.
#include <cstddef>

namespace app::qt::embedded {

extern const unsigned char ${SYMBOL}[] = {
  ${bytes}
};
extern const std::size_t ${SYMBOL}Size = ${size};

}  // namespace app::qt::embedded
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
