#include "driver/options.h"

#include <cstring>

namespace vorlane {

const char* const usage_text =
    "usage: vorlane [options]\n"
    "\n"
    "  --windowed          show in a window instead of full screen\n"
    "  --resolution WxH    size of the rendered frame (default 640x480)\n"
    "  --log               write the timeline log to vorlane.log in the working directory\n"
    "  --version           print the version and exit\n"
    "  --help              print this text and exit\n";

namespace {

// A positive decimal of at most five digits, so the frame's byte size
// stays far from overflow; text is advanced past it.
bool parse_dimension(const char*& text, int& out)
{
    int value = 0;
    int digits = 0;
    while (*text >= '0' && *text <= '9') {
        if (++digits > 5)
            return false;
        value = value * 10 + (*text++ - '0');
    }
    if (digits == 0 || value == 0)
        return false;
    out = value;
    return true;
}

bool parse_resolution(const char* text, int& w, int& h)
{
    if (!parse_dimension(text, w) || (*text != 'x' && *text != 'X'))
        return false;
    ++text;
    return parse_dimension(text, h) && *text == '\0';
}

}  // namespace

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
        else if (std::strcmp(arg, "--windowed") == 0)
            out.windowed = true;
        else if (std::strcmp(arg, "--resolution") == 0) {
            if (i + 1 == argc) {
                error = "vorlane: --resolution needs a size such as 800x600";
                return false;
            }
            const char* size = argv[++i];
            if (!parse_resolution(size, out.resx, out.resy)) {
                error = std::string("vorlane: bad resolution '") + size + "' (expected WxH, such as 800x600)";
                return false;
            }
        } else {
            error = std::string("vorlane: unknown option '") + arg + "'";
            return false;
        }
    }
    return true;
}

}  // namespace vorlane
