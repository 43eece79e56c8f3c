#include "platform/scratch_folder.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace vorlane {

scratch_folder::~scratch_folder()
{
    remove();
}

void scratch_folder::remove()
{
    if (path.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
    path.clear();
}

bool scratch_folder::make(const char* prefix)
{
    std::error_code error;
    const std::filesystem::path parent = std::filesystem::temp_directory_path(error);
    if (error)
        return false;
    // mkdtemp replaces the six X with a unique suffix in place.
    std::string name = (parent / (std::string(prefix) + "XXXXXX")).string();
    if (!::mkdtemp(name.data()))
        return false;
    remove();
    path = name;
    return true;
}

}  // namespace vorlane
