# Writes OUTPUT, a C++ source that defines song_data from the bytes of INPUT,
# zero-padded to SIZE. Run as: cmake -DINPUT=... -DOUTPUT=... -DSIZE=... -P
file(SIZE ${INPUT} module_size)
if(module_size GREATER SIZE)
    message(FATAL_ERROR "${INPUT} has ${module_size} bytes, more than the ${SIZE} embedded")
endif()
file(READ ${INPUT} hex HEX)
# 32 bytes a line.
string(LENGTH "${hex}" hex_length)
set(bytes "")
set(offset 0)
while(offset LESS hex_length)
    string(SUBSTRING "${hex}" ${offset} 64 chunk)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," chunk "${chunk}")
    string(APPEND bytes "    ${chunk}\n")
    math(EXPR offset "${offset} + 64")
endwhile()
file(WRITE ${OUTPUT}
"// Generated from ${INPUT}; do not edit.
#include \"data/song.h\"

namespace vorlane {

// The bytes past the module stay zero.
const unsigned char song_data[song_data_size] = {
${bytes}};

const int song_module_size = ${module_size};

}  // namespace vorlane
")
