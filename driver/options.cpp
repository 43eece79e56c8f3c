#include "driver/options.h"

#include <cstring>

namespace vorlane {

const char* const usage_text =
    "usage: vorlane [options]\n"
    "\n"
    "  --log        write the timeline log to vorlane.log in the working directory\n"
    "  --version    print the version and exit\n"
    "  --help       print this text and exit\n";

bool parse_options(int argc, char** argv, options& out, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--log") == 0)
            out.log = true;
        else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0)
            out.help = true;
        else if (std::strcmp(arg, "--version") == 0)
            out.version = true;
        else {
            error = std::string("vorlane: unknown option '") + arg + "'";
            return false;
        }
    }
    return true;
}

}  // namespace vorlane
