// The command line of vorlane.
#pragma once

#include <string>

namespace vorlane {

struct options {
    bool log = false;       // --log: write vorlane.log
    bool help = false;      // --help
    bool version = false;   // --version
    bool windowed = false;  // --windowed: a window instead of full screen
    bool no_sound = false;  // --no-sound: the silent output device
    bool loop = false;      // --loop: the show cycles on past the song's end
    // --resolution WxH: the back buffer's size. Without it the setup
    // dialog asks, where there is a display to show it on.
    bool resolution_given = false;
    int resx = 640;
    int resy = 480;

    // --capture OUT: render offline into a folder of PNG frames and a WAV
    // file, or into a video when OUT ends in ".mp4". Empty: play the show.
    std::string capture;
    int fps = 25;    // --fps N: video frames per second of song
    int from = 0;    // --from MS: first written frame, ms of sound
    int to = -1;     // --to MS: end of the capture, ms of sound; -1: the end of the song

    // --bench: play the whole show offscreen as fast as it goes and print
    // its figures per part instead of showing it.
    bool bench = false;
};

// Parses argv. On a bad argument returns false and sets error to a line
// that names it.
bool parse_options(int argc, char** argv, options& out, std::string& error);

extern const char* const usage_text;

}  // namespace vorlane
