// The generated programs: compiling and linking the sources a program key
// gives, and the uniform values the device state gives them.

#include "platform/gl_backend.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace vorlane {

namespace {

GLuint compile(GLenum kind, const std::string& source)
{
    GLuint shader = glCreateShader(kind);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "shader compilation failed:\n%s\n%s\n", log, text);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

gl_program link_program(const program_key& key)
{
    gl_program p;
    GLuint vs = compile(GL_VERTEX_SHADER, vertex_shader_source(key));
    GLuint fs = compile(GL_FRAGMENT_SHADER, fragment_shader_source(key));
    if (!vs || !fs) {
        glDeleteShader(vs);
        glDeleteShader(fs);
        return p;
    }
    p.name = glCreateProgram();
    glAttachShader(p.name, vs);
    glAttachShader(p.name, fs);
    glLinkProgram(p.name);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(p.name, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        glGetProgramInfoLog(p.name, sizeof log, nullptr, log);
        std::fprintf(stderr, "shader linking failed:\n%s\n", log);
        glDeleteProgram(p.name);
        p.name = 0;
        return p;
    }
    auto at = [&](const char* name) { return glGetUniformLocation(p.name, name); };
    p.object_at = at("u_object");
    p.projection = at("u_projection");
    p.pixel = at("u_pixel");
    p.material_at = at("u_material");
    p.lights_at = at("u_lights");
    p.fog = at("u_fog");
    p.fog_color = at("u_fog_color");
    glUseProgram(p.name);
    for (int i = 0; i < max_texture_stages; ++i) {
        std::string n = std::to_string(i);
        GLint loc = at(("u_texture" + n).c_str());
        if (loc >= 0)
            glUniform1i(loc, i);
        p.texture_matrix[i] = at(("u_texture_matrix[" + n + "]").c_str());
    }
    return p;
}

// out = a * b, row-major.
void multiply(const float* a, const float* b, float* out)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out[4 * r + c] = a[4 * r] * b[c] + a[4 * r + 1] * b[4 + c] + a[4 * r + 2] * b[8 + c] +
                             a[4 * r + 3] * b[12 + c];
}

// Normals go through the inverse transpose of the world-view matrix's 3x3
// part (its cofactors over the determinant); they are not renormalised.
// out: three columns of four, the last of each unused.
void normal_matrix(const float* m, float (&out)[3][4])
{
    auto e = [&](int r, int c) { return m[4 * r + c]; };
    float c[9] = {
        e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1), e(1, 2) * e(2, 0) - e(1, 0) * e(2, 2),
        e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0), e(0, 2) * e(2, 1) - e(0, 1) * e(2, 2),
        e(0, 0) * e(2, 2) - e(0, 2) * e(2, 0), e(0, 1) * e(2, 0) - e(0, 0) * e(2, 1),
        e(0, 1) * e(1, 2) - e(0, 2) * e(1, 1), e(0, 2) * e(1, 0) - e(0, 0) * e(1, 2),
        e(0, 0) * e(1, 1) - e(0, 1) * e(1, 0),
    };
    float det = e(0, 0) * c[0] + e(0, 1) * c[1] + e(0, 2) * c[2];
    float inv = det != 0 ? 1 / det : 0;
    for (int i = 0; i < 9; ++i)
        out[i / 3][i % 3] = c[i] * inv;
}

// The red, green and blue of a colour value, as the programs read them.
void copy_rgb(const d3d_color_value& c, float* out)
{
    out[0] = c.r;
    out[1] = c.g;
    out[2] = c.b;
}

void argb_to_rgb(std::uint32_t argb, float* out)
{
    out[0] = ((argb >> 16) & 0xFF) / 255.0f;
    out[1] = ((argb >> 8) & 0xFF) / 255.0f;
    out[2] = (argb & 0xFF) / 255.0f;
}

camera_uniforms camera_values(const device_state& s, const device_surface& target)
{
    camera_uniforms c;
    std::memcpy(c.projection, s.projection.m, sizeof c.projection);
    c.pixel[0] = 1.0f / static_cast<float>(target.width);
    c.pixel[1] = 1.0f / static_cast<float>(target.height);
    return c;
}

light_uniforms light_values(const device_state& s)
{
    light_uniforms u;
    argb_to_rgb(s.ambient, u.global_ambient);
    // Lights are given in world space and lit in camera space.
    const float* v = s.view.m;
    int n = 0;
    for (int i = 0; i < max_lights; ++i) {
        if (!s.light_enabled[i])
            continue;
        const d3d_light& l = s.lights[i];
        light_uniform& o = u.lights[n++];
        const d3d_vector& p = l.position;
        for (int c = 0; c < 3; ++c)
            o.position[c] = p.x * v[c] + p.y * v[4 + c] + p.z * v[8 + c] + v[12 + c];
        o.position[3] = static_cast<float>(l.type);
        const d3d_vector& d = l.direction;
        float dir[3];
        for (int c = 0; c < 3; ++c)
            dir[c] = d.x * v[c] + d.y * v[4 + c] + d.z * v[8 + c];
        float len = std::sqrt(dir[0] * dir[0] + dir[1] * dir[1] + dir[2] * dir[2]);
        for (int c = 0; c < 3; ++c)
            o.direction[c] = len > 0 ? dir[c] / len : 0;
        copy_rgb(l.diffuse, o.diffuse);
        copy_rgb(l.ambient, o.ambient);
        o.attenuation[0] = l.attenuation0;
        o.attenuation[1] = l.attenuation1;
        o.attenuation[2] = l.attenuation2;
        o.attenuation[3] = l.range;
        o.spot[0] = std::cos(l.theta / 2);
        o.spot[1] = std::cos(l.phi / 2);
        o.spot[2] = l.falloff;
    }
    u.light_count = static_cast<float>(n);
    return u;
}

fog_uniforms fog_values(const device_state& s)
{
    fog_uniforms f;
    float range = s.fogend - s.fogstart;
    f.fog[0] = s.fogstart;
    f.fog[1] = s.fogend;
    // Equal start and end: a hard edge instead of a division by zero.
    f.fog[2] = range != 0 ? 1 / range : 1e30f;
    argb_to_rgb(s.fogcolor, f.color);
    return f;
}

// True (and kept) when value differs from what the program last received.
template <class group>
bool changed(const gl_program& p, group& last, const group& value)
{
    if (p.sent && std::memcmp(&last, &value, sizeof value) == 0)
        return false;
    last = value;
    return true;
}

// The texture matrices of the stages that transform their coordinates;
// the others are not read.
void send_texture_matrices(gl_program& p, const program_key& key, const device_state& s)
{
    for (int i = 0; i < max_texture_stages; ++i) {
        if (!key.stages[i].transformed)
            continue;
        if (p.sent && std::memcmp(&p.texture_matrix_values[i], &s.texture_transform[i], sizeof(d3d_matrix)) == 0)
            continue;
        p.texture_matrix_values[i] = s.texture_transform[i];
        glUniformMatrix4fv(p.texture_matrix[i], 1, GL_FALSE, s.texture_transform[i].m);
    }
}

}  // namespace

object_uniforms object_values(const d3d_matrix& world, const d3d_matrix& view)
{
    object_uniforms o;
    multiply(world.m, view.m, o.world_view);
    normal_matrix(o.world_view, o.normal_matrix);
    return o;
}

material_uniforms material_values(const d3d_material& m)
{
    material_uniforms u;
    copy_rgb(m.diffuse, u.diffuse);
    u.diffuse[3] = m.diffuse.a;
    copy_rgb(m.ambient, u.ambient);
    copy_rgb(m.emissive, u.emissive);
    return u;
}

gl_program& program_for(gl_backend& gl, const program_key& key)
{
    auto found = gl.programs.find(key);
    if (found == gl.programs.end())
        found = gl.programs.emplace(key, link_program(key)).first;
    return found->second;
}

void update_uniforms(gl_program& p, const program_key& key, const device_state& s, const device_surface& target)
{
    if (!key.instanced) {
        object_uniforms o = object_values(s.world, s.view);
        if (changed(p, p.object, o))
            glUniform4fv(p.object_at, sizeof o / 16, o.world_view);
    }
    camera_uniforms c = camera_values(s, target);
    if (changed(p, p.camera, c)) {
        glUniformMatrix4fv(p.projection, 1, GL_FALSE, c.projection);
        glUniform2fv(p.pixel, 1, c.pixel);
    }
    send_texture_matrices(p, key, s);
    if (key.lighting) {
        if (!key.instanced) {
            material_uniforms m = material_values(s.material);
            if (changed(p, p.material, m))
                glUniform4fv(p.material_at, sizeof m / 16, m.diffuse);
        }
        light_uniforms l = light_values(s);
        // The global ambient, then only the enabled lights.
        if (changed(p, p.lights, l))
            glUniform4fv(p.lights_at, 1 + static_cast<GLsizei>(l.light_count) * sizeof(light_uniform) / 16,
                         l.global_ambient);
    }
    if (key.fog != fog_none) {
        fog_uniforms f = fog_values(s);
        if (changed(p, p.fog_values, f)) {
            glUniform3fv(p.fog, 1, f.fog);
            glUniform3fv(p.fog_color, 1, f.color);
        }
    }
    p.sent = true;
}

}  // namespace vorlane
