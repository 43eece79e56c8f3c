#include "platform/environment.h"

#include <cstdlib>

namespace vorlane {

void set_environment_default(const char* name, const char* value)
{
    ::setenv(name, value, 0);
}

}  // namespace vorlane
