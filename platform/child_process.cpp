#include "platform/child_process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vorlane {

namespace {

std::vector<char*> argument_vector(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    return argv;
}

// With stdin_fd >= 0 the program reads that descriptor as its standard
// input. -1 when it cannot be started.
int spawn(const std::vector<std::string>& args, int stdin_fd)
{
    if (args.empty())
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    if (stdin_fd >= 0)
        posix_spawn_file_actions_adddup2(&actions, stdin_fd, STDIN_FILENO);
    // We ignore SIGPIPE for our own writes; the child must not inherit that.
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    std::vector<char*> argv = argument_vector(args);
    pid_t pid = -1;
    const int error = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? int(pid) : -1;
}

// True when the program exited with 0.
bool wait_for(int pid)
{
    int status = 0;
    while (::waitpid(pid_t(pid), &status, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

bool program_on_path(const char* name)
{
    const char* path = std::getenv("PATH");
    if (!path)
        return false;
    const std::string dirs = path;
    std::size_t begin = 0;
    while (begin <= dirs.size()) {
        std::size_t end = dirs.find(':', begin);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string dir = dirs.substr(begin, end - begin);
        // An empty entry is the working folder.
        const std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        struct stat st = {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return true;
        begin = end + 1;
    }
    return false;
}

bool run_program(const std::vector<std::string>& args)
{
    const int pid = spawn(args, -1);
    return pid > 0 && wait_for(pid);
}

pipe_to_program::~pipe_to_program()
{
    finish();
}

bool pipe_to_program::start(const std::vector<std::string>& args)
{
    finish();
    // A program that quits early closes the pipe under our writes: the
    // write is to fail and be reported, not to end the process.
    std::signal(SIGPIPE, SIG_IGN);
    int ends[2];
    // Close-on-exec, so that the program holds no write end of its own
    // input and sees its end when we close ours.
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return false;
    pid = spawn(args, ends[0]);
    ::close(ends[0]);
    if (pid < 0) {
        ::close(ends[1]);
        return false;
    }
    fd = ends[1];
    return true;
}

bool pipe_to_program::write(const void* data, std::size_t bytes)
{
    if (fd < 0)
        return false;
    const char* at = static_cast<const char*>(data);
    while (bytes > 0) {
        const ssize_t n = ::write(fd, at, bytes);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        at += n;
        bytes -= std::size_t(n);
    }
    return true;
}

bool pipe_to_program::finish()
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
    if (pid < 0)
        return false;
    const bool ok = wait_for(pid);
    pid = -1;
    return ok;
}

}  // namespace vorlane
