// The one place where the device's two OpenGL dialects differ: OpenGL 3.3
// core on the desktop and WebGL 2 (OpenGL ES 3.0) in the browser. The
// shading-language header, the draws WebGL 2 lacks (a base vertex, the
// first vertex's colour for flat shading), texel formats and read-back.
// Everything else in the device is one source for both builds.
#pragma once

#ifdef __EMSCRIPTEN__
#include <GLES3/gl3.h>
#else
#include <epoxy/gl.h>
#endif

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace vorlane {

#ifdef __EMSCRIPTEN__

inline constexpr const char* glsl_header = "#version 300 es\nprecision highp float;\nprecision highp int;\n";
// The draws then point the vertex attributes base vertices further on,
// which gives every index the same vertex.
inline constexpr bool gl_has_base_vertex = false;
// EXT_depth_clamp's switch, the same value as OpenGL's GL_DEPTH_CLAMP.
inline constexpr GLenum gl_depth_clamp = 0x864F;

// WebGL 2 has no BGRA texel format: the device's B, G, R, A bytes go up
// as R, G, B, A with red and blue swapped.
inline void upload_texels(GLint level, GLsizei width, GLsizei height, const std::uint8_t* bgra)
{
    std::vector<std::uint8_t> rgba(bgra, bgra + std::size_t(width) * std::size_t(height) * 4);
    for (std::size_t i = 0; i < rgba.size(); i += 4)
        std::swap(rgba[i], rgba[i + 2]);
    glTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
}

inline constexpr GLenum gl_texel_format = GL_RGBA;

inline void read_texels(GLsizei width, GLsizei height, std::uint32_t* out)
{
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, out);
    auto* bytes = reinterpret_cast<std::uint8_t*>(out);
    for (std::size_t i = 0; i < std::size_t(width) * std::size_t(height) * 4; i += 4)
        std::swap(bytes[i], bytes[i + 2]);
}

inline void clear_depth(float z)
{
    glClearDepthf(z);
}

inline void draw_indices(GLenum mode, GLsizei count, const void* first, GLsizei instances, GLint)
{
    if (instances == 1)
        glDrawElements(mode, count, GL_UNSIGNED_SHORT, first);
    else
        glDrawElementsInstanced(mode, count, GL_UNSIGNED_SHORT, first, instances);
}

#else

inline constexpr const char* glsl_header = "#version 330 core\n";
inline constexpr bool gl_has_base_vertex = true;
inline constexpr GLenum gl_depth_clamp = GL_DEPTH_CLAMP;

inline void upload_texels(GLint level, GLsizei width, GLsizei height, const std::uint8_t* bgra)
{
    glTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, bgra);
}

inline constexpr GLenum gl_texel_format = GL_BGRA;

inline void read_texels(GLsizei width, GLsizei height, std::uint32_t* out)
{
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, out);
}

inline void clear_depth(float z)
{
    glClearDepth(z);
}

inline void draw_indices(GLenum mode, GLsizei count, const void* first, GLsizei instances, GLint base)
{
    if (instances == 1)
        glDrawElementsBaseVertex(mode, count, GL_UNSIGNED_SHORT, first, base);
    else
        glDrawElementsInstancedBaseVertex(mode, count, GL_UNSIGNED_SHORT, first, instances, base);
}

#endif

}  // namespace vorlane
