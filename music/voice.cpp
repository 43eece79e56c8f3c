#include "music/voice.h"

namespace vorlane {

voice voices[num_voices];

void clear_voices()
{
    for (int i = 0; i < num_voices; ++i) {
        voices[i] = voice{};
        voices[i].voice_no = i;
    }
}

}  // namespace vorlane
