// The show's song loaded from the bytes embedded in the program, on the
// virtual output device, which the tests advance by hand.
#pragma once

#include "data/song.h"
#include "music/mem_file.h"
#include "music/ring_player.h"
#include "music/song.h"
#include "platform/wave_out_virtual.h"

#include <memory>

namespace vorlane {

struct embedded_song {
    wave_out_virtual* device = nullptr;
    song* s = nullptr;

    // False when the device does not open or the song does not load.
    bool load()
    {
        mem_file_set_source(song_data, song_data_size);
        install_mem_file_callbacks();
        auto output = std::make_unique<wave_out_virtual>();
        device = output.get();
        sound_use_output(std::move(output));
        if (!sound_init(44100, 0))
            return false;
        s = song_load("song", nullptr);
        return s != nullptr;
    }

    // Frees the song (stopping it) and closes the device.
    void release()
    {
        if (s)
            song_free(s);
        s = nullptr;
        sound_close();
        sound_use_output(nullptr);
    }
};

}  // namespace vorlane
