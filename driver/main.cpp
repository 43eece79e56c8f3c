// vorlane: the show.

#include "driver/fatal.h"
#include "driver/log.h"
#include "driver/options.h"
#include "driver/version.h"
#include "engine/trig_tables.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    using namespace vorlane;

    options opts;
    std::string error;
    if (!parse_options(argc, argv, opts, error)) {
        std::fprintf(stderr, "%s\n\n%s", error.c_str(), usage_text);
        return 2;
    }
    if (opts.help) {
        std::fputs(usage_text, stdout);
        return 0;
    }
    if (opts.version) {
        std::printf("vorlane %s\n", version);
        return 0;
    }

    install_out_of_memory_handler();
    if (opts.log)
        log_open();
    build_trig_tables();
    log("vorlane %s", version);
    log_close();
    return 0;
}
