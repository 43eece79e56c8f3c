// The loaders end the process on a bad file. To try many inputs in one
// process (fuzzing, replaying corpora, cutting files short), the fatal
// message box hook throws instead, and the attempt reports the message.
#pragma once

#include "runtime/fatal.h"

#include <string>

namespace vorlane::test {

struct fatal_stop {
    std::string text;
};

inline void throw_fatal(const char* text)
{
    throw fatal_stop{text};
}

// Runs f; the empty string when it returned, else the fatal message.
template <class function>
std::string fatal_message_of(function&& f)
{
    void (*saved)(const char*) = fatal_message_box;
    fatal_message_box = throw_fatal;
    std::string message;
    try {
        f();
    } catch (const fatal_stop& stop) {
        message = stop.text.empty() ? "(empty message)" : stop.text;
    }
    fatal_message_box = saved;
    return message;
}

}  // namespace vorlane::test
