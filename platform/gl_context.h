// The OpenGL context on the window, from the build's window system: SDL
// on the desktop, the page's canvas in the browser. The device asks it for
// the context, the size to present into and the swap.
#pragma once

#include "platform/window.h"

namespace vorlane {

struct gl_context {
    void* handle = nullptr;
    // Flat shading takes a primitive's first vertex, as Direct3D does; when
    // false (WebGL 2 without WEBGL_provoking_vertex) it takes the last.
    bool first_vertex_flat = false;
    bool depth_clamp = false;  // draws can switch clipping at the near and far planes off
};

// Makes the context current with presenting unsynchronised. Fatal
// "d3dCreate" when none can be made, "GetDisplayMode" when the display's
// mode cannot be read, "Create3dDevice" when it is older than OpenGL 3.3
// core (WebGL 2 in the browser).
gl_context create_gl_context(window& w);
void destroy_gl_context(window& w, gl_context& context);

// The size of what present draws into, in pixels.
void drawable_size(const window& w, int& width, int& height);
// Shows what was presented: the swap on the desktop; in the browser the
// page shows it when the frame's callback returns.
void swap_window(window& w);

}  // namespace vorlane
