# Writes OUTPUT, a C++ source that defines the byte array SYMBOL (declared
# in HEADER) from the bytes of INPUT, zero-padded to SIZE, and the int
# SYMBOL_length with the file's own length.
# Run as: cmake -DINPUT=... -DOUTPUT=... -DHEADER=... -DSYMBOL=... -DSIZE=... -P
file(SIZE ${INPUT} file_size)
if(file_size GREATER SIZE)
    message(FATAL_ERROR "${INPUT} has ${file_size} bytes, more than the ${SIZE} embedded")
endif()
file(READ ${INPUT} hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# One line per 32 bytes keeps the generated file readable in a diff tool.
string(REGEX REPLACE "((0x..,){32})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}
"// Generated from ${INPUT}; do not edit.
#include \"${HEADER}\"

namespace vorlane {

// Bytes past the file's own length stay zero.
const unsigned char ${SYMBOL}[${SIZE}] = {
${bytes}
};

const int ${SYMBOL}_length = ${file_size};

}  // namespace vorlane
")
