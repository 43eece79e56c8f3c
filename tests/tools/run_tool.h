// Runs one of the built programs with arguments, as a shell would, and
// keeps what it printed (stdout and stderr) and its exit code.
#pragma once

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace vorlane::test {

struct tool_result {
    int code = -1;  // -1: it did not start or did not exit normally
    std::string out;
};

inline tool_result run_tool(const std::string& program, const std::string& arguments)
{
    tool_result r;
    std::FILE* p = popen((program + " " + arguments + " 2>&1").c_str(), "r");
    if (!p)
        return r;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0)
        r.out.append(buffer, n);
    const int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

}  // namespace vorlane::test
