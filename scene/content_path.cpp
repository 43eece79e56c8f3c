#include "scene/content_path.h"

#include "engine/whole_file.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace vorlane {

namespace fs = std::filesystem;

namespace {

bool holds_content(const fs::path& folder)
{
    std::error_code error;
    return fs::is_directory(folder / "Objects", error) || fs::is_directory(folder / "Scenes", error);
}

}  // namespace

std::vector<std::string> content_paths(const std::string& folder, const std::string& written)
{
    std::string relative = written;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    std::vector<std::string> places;
    const auto add = [&places](const fs::path& p) {
        const std::string s = p.lexically_normal().string();
        if (!s.empty() && std::find(places.begin(), places.end(), s) == places.end())
            places.push_back(s);
    };
    const fs::path base = folder.empty() ? fs::path(".") : fs::path(folder);
    const fs::path path(relative);
    if (path.is_absolute()) {
        add(path);
    } else {
        add(base / path);
        // The content folder: the nearest of folder and its parents that
        // holds one of LightWave's content folders.
        std::error_code error;
        for (fs::path up = fs::absolute(base, error); !error && !up.empty(); up = up.parent_path()) {
            if (holds_content(up)) {
                add(up / path);
                break;
            }
            if (up == up.parent_path())
                break;
        }
    }
    // A drive letter or a folder of the writer's machine leaves the name.
    const std::size_t slash = relative.find_last_of('/');
    const std::string bare = relative.substr(slash == std::string::npos ? 0 : slash + 1);
    const std::size_t colon = bare.find_last_of(':');
    add(base / bare.substr(colon == std::string::npos ? 0 : colon + 1));
    return places;
}

bool read_content_file(const std::string& folder, const std::string& written, const char* what,
                       std::string& out, std::string& found, std::string& message)
{
    const std::vector<std::string> places = content_paths(folder, written);
    for (const std::string& place : places) {
        // Only files: a device or a pipe named by a file could be endless.
        std::error_code error;
        if (fs::is_regular_file(place, error) && read_whole_file(place, out)) {
            found = place;
            return true;
        }
    }
    message = std::string("Cannot open ") + what + " - " + written + " (looked for";
    for (std::size_t i = 0; i < places.size(); ++i)
        message += (i ? ", " : " ") + places[i];
    message += ")";
    return false;
}

}  // namespace vorlane
