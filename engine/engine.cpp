#include "engine/engine.h"

namespace vorlane {

engine myengine;
engine* en = &myengine;
device* pd3dDev = nullptr;

void engine::init(int resx, int resy, bool windowed, int display)
{
    win = create_window(resx, resy, windowed, display);
    pd3dDev = create_device(*win, resx, resy);
    pd3dDev->set_render_state(D3DRS_ZENABLE, D3DZB_TRUE);
    pd3dDev->set_render_state(D3DRS_CULLMODE, D3DCULL_NONE);
    pd3dDev->set_texture_stage_state(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    pd3dDev->set_texture_stage_state(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    pd3dDev->set_texture_stage_state(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
}

void engine::shutdown()
{
    if (pd3dDev)
        pd3dDev->release();
    pd3dDev = nullptr;
}

}  // namespace vorlane
