// The device's WebGL 2 context on the page's canvas.

#include "platform/gl_context.h"
#include "platform/gl_dialect.h"
#include "runtime/fatal.h"

#include <cstdint>

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

namespace vorlane {

namespace {

// WEBGL_provoking_vertex gives flat shading Direct3D's first vertex where
// the browser has it.
EM_JS(int, take_first_vertex_flat, (), {
    var ext = GLctx.getExtension('WEBGL_provoking_vertex');
    if (!ext)
        return 0;
    ext.provokingVertexWEBGL(ext.FIRST_VERTEX_CONVENTION_WEBGL);
    return 1;
});

}  // namespace

gl_context create_gl_context(window&)
{
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    // The device draws into its own back buffer and only copies it to the
    // canvas, which needs neither depth nor samples of its own.
    attributes.alpha = false;
    attributes.depth = false;
    attributes.stencil = false;
    attributes.antialias = false;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE handle = emscripten_webgl_create_context("#canvas", &attributes);
    if (handle <= 0 || emscripten_webgl_make_context_current(handle) != EMSCRIPTEN_RESULT_SUCCESS)
        fatal("d3dCreate");
    gl_context c;
    c.handle = reinterpret_cast<void*>(std::intptr_t{handle});
    c.first_vertex_flat = take_first_vertex_flat() != 0;
    c.depth_clamp = emscripten_webgl_enable_extension(handle, "EXT_depth_clamp");
    return c;
}

void destroy_gl_context(window&, gl_context& context)
{
    emscripten_webgl_destroy_context(
        static_cast<EMSCRIPTEN_WEBGL_CONTEXT_HANDLE>(reinterpret_cast<std::intptr_t>(context.handle)));
    context.handle = nullptr;
}

void drawable_size(const window&, int& width, int& height)
{
    emscripten_get_canvas_element_size("#canvas", &width, &height);
}

void swap_window(window&)
{
    // The page shows the canvas when the frame's callback returns.
}

}  // namespace vorlane
