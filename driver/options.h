// The command line of vorlane.
#pragma once

#include <string>

namespace vorlane {

struct options {
    bool log = false;       // --log: write vorlane.log
    bool help = false;      // --help
    bool version = false;   // --version
    bool windowed = false;  // --windowed: a window instead of full screen
    int resx = 640;         // --resolution WxH: the back buffer's size
    int resy = 480;
};

// Parses argv. On a bad argument returns false and sets error to a line
// that names it.
bool parse_options(int argc, char** argv, options& out, std::string& error);

extern const char* const usage_text;

}  // namespace vorlane
