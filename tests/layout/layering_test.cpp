// Every include points down the layout table of the README: the test reads
// the table itself, so the table and the code cannot drift apart.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path source_dir = VORLANE_SOURCE_DIR;

struct layer_rule {
    bool any = false;           // "any folder": tests and benchmarks
    std::set<std::string> may;  // folders it may include besides its own
};

std::vector<std::string> backticked_folders(const std::string& cell)
{
    std::vector<std::string> names;
    static const std::regex name("`([a-z_]+)/`");
    for (auto it = std::sregex_iterator(cell.begin(), cell.end(), name); it != std::sregex_iterator(); ++it)
        names.push_back((*it)[1]);
    return names;
}

// The rows of the table whose header is "| folder | holds | may include |".
std::map<std::string, layer_rule> read_layout_table()
{
    std::ifstream in(source_dir / "README.md");
    std::map<std::string, layer_rule> rules;
    std::string line;
    bool in_table = false;
    while (std::getline(in, line)) {
        if (line.rfind("| folder | holds | may include |", 0) == 0) {
            in_table = true;
            continue;
        }
        if (!in_table)
            continue;
        if (line.empty() || line[0] != '|')
            break;
        std::vector<std::string> cells;
        std::stringstream row(line.substr(1));
        std::string cell;
        while (std::getline(row, cell, '|'))
            cells.push_back(cell);
        if (cells.size() < 3 || cells[0].find("---") != std::string::npos)
            continue;
        layer_rule rule;
        rule.any = cells[2].find("any folder") != std::string::npos;
        for (const std::string& name : backticked_folders(cells[2]))
            rule.may.insert(name);
        for (const std::string& folder : backticked_folders(cells[0]))
            rules[folder] = rule;
    }
    return rules;
}

struct include_line {
    std::string file;  // relative to the source folder
    int line = 0;
    std::string target;
    bool system = false;
};

std::vector<include_line> includes_under(const std::string& folder)
{
    std::vector<include_line> found;
    static const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    for (const auto& entry : fs::recursive_directory_iterator(source_dir / folder)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp" && ext != ".in"))
            continue;
        std::ifstream in(entry.path());
        std::string text;
        int number = 0;
        while (std::getline(in, text)) {
            ++number;
            std::smatch m;
            if (std::regex_search(text, m, include))
                found.push_back({fs::relative(entry.path(), source_dir).string(), number, m[2], m[1] == "<"});
        }
    }
    return found;
}

// Headers of the libraries and the operating system that only the platform
// layer may use.
bool is_platform_header(const std::string& name)
{
    static const std::vector<std::string> prefixes = {"SDL", "epoxy/", "GL/", "EGL/", "ft2build", "freetype",
                                                      "fontconfig/", "png.h", "unistd.h", "sys/", "fcntl.h",
                                                      "dirent.h", "spawn.h", "dlfcn.h", "pthread.h", "emscripten",
                                                      "GLES3/"};
    for (const std::string& p : prefixes)
        if (name.rfind(p, 0) == 0)
            return true;
    return false;
}

TEST(layering, the_readme_table_names_every_source_folder)
{
    const auto rules = read_layout_table();
    ASSERT_FALSE(rules.empty());
    for (const char* folder : {"runtime", "platform", "engine", "music", "data", "clock", "scene", "effects",
                               "parts", "driver", "tools", "tests", "bench"})
        EXPECT_TRUE(rules.count(folder)) << folder << "/ is missing from the README's layout table";
    for (const auto& [folder, rule] : rules) {
        EXPECT_TRUE(fs::is_directory(source_dir / folder)) << folder << "/ is in the table but not in the tree";
        for (const std::string& below : rule.may)
            EXPECT_TRUE(rules.count(below)) << folder << "/ may include " << below << "/, which the table lacks";
    }
}

TEST(layering, every_include_points_down_the_table)
{
    const auto rules = read_layout_table();
    int checked = 0;
    for (const auto& [folder, rule] : rules) {
        if (rule.any)
            continue;
        for (const include_line& inc : includes_under(folder)) {
            if (inc.system) {
                EXPECT_FALSE(folder != "platform" && is_platform_header(inc.target))
                    << inc.file << ":" << inc.line << " includes <" << inc.target
                    << ">, which only platform/ may use";
                continue;
            }
            ++checked;
            const std::string target = inc.target.substr(0, inc.target.find('/'));
            if (target == inc.target || target == folder)
                continue;  // generated headers beside the file, or its own folder
            EXPECT_TRUE(rule.may.count(target))
                << inc.file << ":" << inc.line << " includes \"" << inc.target << "\": " << folder
                << "/ may not include " << target << "/";
        }
    }
    EXPECT_GT(checked, 100);
}

// No arrow may point both ways: the table itself has to be a layering.
TEST(layering, the_table_has_no_cycle)
{
    const auto rules = read_layout_table();
    std::map<std::string, int> state;  // 0 unvisited, 1 on the path, 2 done
    std::function<bool(const std::string&)> cyclic = [&](const std::string& f) {
        if (state[f] == 1)
            return true;
        if (state[f] == 2)
            return false;
        state[f] = 1;
        const auto it = rules.find(f);
        if (it != rules.end())
            for (const std::string& below : it->second.may)
                if (cyclic(below))
                    return true;
        state[f] = 2;
        return false;
    };
    for (const auto& [folder, rule] : rules)
        EXPECT_FALSE(cyclic(folder)) << "the layout table has a cycle through " << folder << "/";
}

}  // namespace
