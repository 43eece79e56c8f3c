// Other programs run from ours (the video encoder): found on PATH, run to
// their end, or fed through a pipe to their standard input. A program gets
// its arguments as a list, never as a shell command line, so no name ever
// needs quoting.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vorlane {

// True when a folder on PATH holds an executable file called name.
bool program_on_path(const char* name);

// Runs args[0], searched on PATH, with args and waits for it. True when it
// ran and exited with 0.
bool run_program(const std::vector<std::string>& args);

// A program that reads what we write to its standard input.
class pipe_to_program {
public:
    pipe_to_program() = default;
    pipe_to_program(const pipe_to_program&) = delete;
    pipe_to_program& operator=(const pipe_to_program&) = delete;
    // A program still running gets the end of its input and is waited for.
    ~pipe_to_program();

    // Starts args[0], searched on PATH. False when it cannot be started.
    bool start(const std::vector<std::string>& args);
    // False unless every byte went into the pipe; also when the program
    // has quit, which makes the write fail rather than kill us.
    bool write(const void* data, std::size_t bytes);
    // Closes the pipe and waits for the program. True when it had started
    // and exited with 0.
    bool finish();

    int fd = -1;   // our end of the pipe; -1 when closed
    int pid = -1;  // -1 when not running
};

}  // namespace vorlane
