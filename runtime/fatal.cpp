#include "runtime/fatal.h"

#include <cstdio>
#include <cstdlib>
#include <new>

namespace vorlane {

void (*fatal_message_box)(const char* text) = nullptr;

void fatal(const char* text)
{
    std::fprintf(stderr, "%s\n", text);
    std::fflush(stderr);
    if (fatal_message_box)
        fatal_message_box(text);
    // _Exit, not exit: the audio thread may still be mixing, and static
    // destructors must not pull the song from under it.
    std::_Exit(fatal_exit_code);
}

void install_out_of_memory_handler()
{
    std::set_new_handler([] { fatal("Out of memory"); });
}

}  // namespace vorlane
