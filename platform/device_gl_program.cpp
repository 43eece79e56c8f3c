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
    p.world_view = at("u_world_view");
    p.projection = at("u_projection");
    p.normal_matrix = at("u_normal_matrix");
    p.pixel = at("u_pixel");
    p.texture_matrix = at("u_texture_matrix");
    p.material_diffuse = at("u_material_diffuse");
    p.material_ambient = at("u_material_ambient");
    p.material_emissive = at("u_material_emissive");
    p.global_ambient = at("u_global_ambient");
    p.light_count = at("u_light_count");
    p.light_type = at("u_light_type");
    p.light_position = at("u_light_position");
    p.light_direction = at("u_light_direction");
    p.light_diffuse = at("u_light_diffuse");
    p.light_ambient = at("u_light_ambient");
    p.light_attenuation = at("u_light_attenuation");
    p.light_spot = at("u_light_spot");
    p.fog = at("u_fog");
    p.fog_color = at("u_fog_color");
    glUseProgram(p.name);
    for (int i = 0; i < max_texture_stages; ++i) {
        std::string name = "u_texture" + std::to_string(i);
        GLint loc = at(name.c_str());
        if (loc >= 0)
            glUniform1i(loc, i);
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
void normal_matrix(const float* m, float* out)
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
        out[i] = c[i] * inv;
}

void argb_to_rgb(std::uint32_t argb, float* out)
{
    out[0] = ((argb >> 16) & 0xFF) / 255.0f;
    out[1] = ((argb >> 8) & 0xFF) / 255.0f;
    out[2] = (argb & 0xFF) / 255.0f;
}

transform_uniforms transform_values(const device_state& s, const device_surface& target)
{
    transform_uniforms t;
    multiply(s.world.m, s.view.m, t.world_view);
    std::memcpy(t.projection, s.projection.m, sizeof t.projection);
    normal_matrix(t.world_view, t.normal_matrix);
    t.pixel[0] = 1.0f / static_cast<float>(target.width);
    t.pixel[1] = 1.0f / static_cast<float>(target.height);
    for (int i = 0; i < max_texture_stages; ++i)
        std::memcpy(t.texture_matrix[i], s.texture_transform[i].m, sizeof t.texture_matrix[i]);
    return t;
}

void fill_lighting(const device_state& s, lighting_uniforms& u)
{
    const d3d_material& m = s.material;
    u.material_diffuse[0] = m.diffuse.r;
    u.material_diffuse[1] = m.diffuse.g;
    u.material_diffuse[2] = m.diffuse.b;
    u.material_diffuse[3] = m.diffuse.a;
    u.material_ambient[0] = m.ambient.r;
    u.material_ambient[1] = m.ambient.g;
    u.material_ambient[2] = m.ambient.b;
    u.material_emissive[0] = m.emissive.r;
    u.material_emissive[1] = m.emissive.g;
    u.material_emissive[2] = m.emissive.b;
    argb_to_rgb(s.ambient, u.global_ambient);

    // Lights are given in world space and lit in camera space.
    const float* v = s.view.m;
    int n = 0;
    for (int i = 0; i < max_lights; ++i) {
        if (!s.light_enabled[i])
            continue;
        const d3d_light& l = s.lights[i];
        u.light_type[n] = static_cast<int>(l.type);
        const d3d_vector& p = l.position;
        for (int c = 0; c < 3; ++c)
            u.light_position[n][c] = p.x * v[c] + p.y * v[4 + c] + p.z * v[8 + c] + v[12 + c];
        const d3d_vector& d = l.direction;
        float dir[3];
        for (int c = 0; c < 3; ++c)
            dir[c] = d.x * v[c] + d.y * v[4 + c] + d.z * v[8 + c];
        float len = std::sqrt(dir[0] * dir[0] + dir[1] * dir[1] + dir[2] * dir[2]);
        for (int c = 0; c < 3; ++c)
            u.light_direction[n][c] = len > 0 ? dir[c] / len : 0;
        u.light_diffuse[n][0] = l.diffuse.r;
        u.light_diffuse[n][1] = l.diffuse.g;
        u.light_diffuse[n][2] = l.diffuse.b;
        u.light_ambient[n][0] = l.ambient.r;
        u.light_ambient[n][1] = l.ambient.g;
        u.light_ambient[n][2] = l.ambient.b;
        u.light_attenuation[n][0] = l.attenuation0;
        u.light_attenuation[n][1] = l.attenuation1;
        u.light_attenuation[n][2] = l.attenuation2;
        u.light_attenuation[n][3] = l.range;
        u.light_spot[n][0] = std::cos(l.theta / 2);
        u.light_spot[n][1] = std::cos(l.phi / 2);
        u.light_spot[n][2] = l.falloff;
        ++n;
    }
    u.light_count = n;
}

void fill_fog(const device_state& s, fog_uniforms& f)
{
    float range = s.fogend - s.fogstart;
    f.fog[0] = s.fogstart;
    f.fog[1] = s.fogend;
    // Equal start and end: a hard edge instead of a division by zero.
    f.fog[2] = range != 0 ? 1 / range : 1e30f;
    argb_to_rgb(s.fogcolor, f.color);
}

void send_uniforms(gl_program& p, const transform_uniforms& t, const lighting_uniforms* l, const fog_uniforms& f)
{
    if (!p.sent || std::memcmp(&t, &p.transform, sizeof t) != 0) {
        glUniformMatrix4fv(p.world_view, 1, GL_FALSE, t.world_view);
        glUniformMatrix4fv(p.projection, 1, GL_FALSE, t.projection);
        glUniformMatrix3fv(p.normal_matrix, 1, GL_FALSE, t.normal_matrix);
        glUniform2fv(p.pixel, 1, t.pixel);
        glUniformMatrix4fv(p.texture_matrix, max_texture_stages, GL_FALSE, &t.texture_matrix[0][0]);
        p.transform = t;
    }
    if (l && (!p.sent || std::memcmp(l, &p.lighting, sizeof *l) != 0)) {
        glUniform4fv(p.material_diffuse, 1, l->material_diffuse);
        glUniform3fv(p.material_ambient, 1, l->material_ambient);
        glUniform3fv(p.material_emissive, 1, l->material_emissive);
        glUniform3fv(p.global_ambient, 1, l->global_ambient);
        glUniform1i(p.light_count, l->light_count);
        glUniform1iv(p.light_type, max_lights, l->light_type);
        glUniform3fv(p.light_position, max_lights, &l->light_position[0][0]);
        glUniform3fv(p.light_direction, max_lights, &l->light_direction[0][0]);
        glUniform3fv(p.light_diffuse, max_lights, &l->light_diffuse[0][0]);
        glUniform3fv(p.light_ambient, max_lights, &l->light_ambient[0][0]);
        glUniform4fv(p.light_attenuation, max_lights, &l->light_attenuation[0][0]);
        glUniform3fv(p.light_spot, max_lights, &l->light_spot[0][0]);
        p.lighting = *l;
    }
    if (!p.sent || std::memcmp(&f, &p.fog_values, sizeof f) != 0) {
        glUniform3fv(p.fog, 1, f.fog);
        glUniform3fv(p.fog_color, 1, f.color);
        p.fog_values = f;
    }
    p.sent = true;
}

}  // namespace

gl_program& program_for(gl_backend& gl, const program_key& key)
{
    auto found = gl.programs.find(key);
    if (found == gl.programs.end())
        found = gl.programs.emplace(key, link_program(key)).first;
    return found->second;
}

void update_uniforms(gl_program& p, const program_key& key, const device_state& s, const device_surface& target)
{
    transform_uniforms t = transform_values(s, target);
    lighting_uniforms l;
    if (key.lighting)
        fill_lighting(s, l);
    fog_uniforms f;
    if (key.fog != fog_none)
        fill_fog(s, f);
    send_uniforms(p, t, key.lighting ? &l : nullptr, f);
}

}  // namespace vorlane
