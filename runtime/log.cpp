#include "runtime/log.h"

#include "runtime/fatal.h"

#include <cstdarg>
#include <cstdio>

namespace vorlane {

int log_depth = 0;
bool log_enabled = false;

namespace {
std::FILE* log_file = nullptr;
bool log_file_owned = false;
}

void log_open()
{
    log_file = std::fopen("vorlane.log", "w");
    if (!log_file)
        fatal("Cannot open logfile");
    log_file_owned = true;
    log_depth = 0;
    log_enabled = true;
}

void log_to_stream(std::FILE* stream)
{
    log_close();
    log_file = stream;
    log_file_owned = false;
    log_depth = 0;
    log_enabled = stream != nullptr;
}

void log_close()
{
    if (log_file && log_file_owned)
        std::fclose(log_file);
    log_file_owned = false;
    log_file = nullptr;
    log_enabled = false;
}

void log(const char* format, ...)
{
    if (!log_enabled || !log_file)
        return;
    for (int i = 0; i < log_depth; ++i)
        std::fputc(' ', log_file);
    va_list args;
    va_start(args, format);
    std::vfprintf(log_file, format, args);
    va_end(args);
    std::fputc('\n', log_file);
    std::fflush(log_file);
}

}  // namespace vorlane
