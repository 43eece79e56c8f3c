#include "engine/whole_file.h"

#include <fstream>
#include <iterator>

namespace vorlane {

bool read_whole_file(const std::string& name, std::string& out)
{
    std::ifstream in(name, std::ios::binary);
    if (!in)
        return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace vorlane
