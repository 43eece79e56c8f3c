#include "engine/picture.h"

#include "runtime/fatal.h"

#include <limits>

namespace vorlane {

void picture::reserve(long long bytes)
{
    if (bytes < 0 || bytes > std::numeric_limits<int>::max())
        fatal("Out of memory");
    if (bytes <= storage)
        return;
    data.reset(new unsigned char[bytes]());
    storage = static_cast<int>(bytes);
}

}  // namespace vorlane
