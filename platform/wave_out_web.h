// The browser's sound card: Web Audio pulls the looping ring through the
// page's audio callback. Without threads on a page the song is re-mixed
// by whoever calls output_poll: the page's frame loop and that callback.
#pragma once

namespace vorlane {

// The next frames of the ring, one float buffer a channel, for the page's
// audio callback; silence when nothing plays.
void web_audio_fill(float* left, float* right, int frames);

}  // namespace vorlane
