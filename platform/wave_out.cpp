#include "platform/wave_out.h"

#include "platform/wave_out_virtual.h"

namespace vorlane {

// SDL2's on the desktop, Web Audio's in the browser.
std::unique_ptr<wave_out> make_wave_out_card();
std::unique_ptr<wave_out> make_wave_out_null();

std::unique_ptr<wave_out> wave_out_create(wave_out_kind kind)
{
    switch (kind) {
    case wave_out_kind::card:
        return make_wave_out_card();
    case wave_out_kind::null:
        return make_wave_out_null();
    case wave_out_kind::virtual_device:
        return std::make_unique<wave_out_virtual>();
    }
    return nullptr;
}

}  // namespace vorlane
