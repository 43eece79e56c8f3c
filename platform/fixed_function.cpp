#include "platform/fixed_function.h"

#include "platform/gl_dialect.h"

namespace vorlane {

namespace {

std::uint32_t reduce_op(std::uint32_t op)
{
    switch (op) {
    case D3DTOP_SELECTARG1: return op_select1;
    case D3DTOP_SELECTARG2: return op_select2;
    case D3DTOP_MODULATE: return op_modulate;
    case D3DTOP_ADD: return op_add;
    // Operations the device does not implement end the cascade, like
    // DISABLE.
    default: return op_disable;
    }
}

// Argument modifiers and the sources the device does not implement read
// the current colour.
std::uint32_t reduce_arg(std::uint32_t arg)
{
    switch (arg & 0xF) {
    case D3DTA_DIFFUSE: return arg_diffuse;
    case D3DTA_TEXTURE: return arg_texture;
    default: return arg_current;
    }
}

// A stage that reads a texture it does not have passes the current colour
// on unchanged; at stage 0 that is the lit colour. So lines drawn "with a
// texture" but none bound come out in their lit colour, and the default
// stage 0 (TEXTURE x CURRENT) of an untextured material gives its lit
// colour once, not squared.
void pass_on_without_texture(std::uint32_t& op, std::uint32_t& arg1, std::uint32_t& arg2)
{
    const bool reads1 = op == op_select1 || op == op_modulate || op == op_add;
    const bool reads2 = op == op_select2 || op == op_modulate || op == op_add;
    if ((reads1 && arg1 == arg_texture) || (reads2 && arg2 == arg_texture)) {
        op = op_select1;
        arg1 = arg_current;
        arg2 = arg_diffuse;
    }
}

// Leaves only the arguments the operation reads, so that unused ones do
// not split the program cache.
void keep_used_args(std::uint32_t op, std::uint32_t& arg1, std::uint32_t& arg2)
{
    if (op == op_disable || op == op_select2)
        arg1 = arg_diffuse;
    if (op == op_disable || op == op_select1)
        arg2 = arg_diffuse;
}

}  // namespace

std::size_t program_key_hash::operator()(const program_key& k) const
{
    std::size_t h = (k.lighting ? 1 : 0) | (k.flat ? 2 : 0) | (k.has_normal ? 4 : 0) | (k.fog << 3) |
                    (k.instanced ? 32 : 0);
    for (const stage_key& s : k.stages) {
        std::size_t v = s.color_op | s.color_arg1 << 3 | s.color_arg2 << 5 | s.alpha_op << 7 |
                        s.alpha_arg1 << 10 | s.alpha_arg2 << 12 | (s.samples ? 1u : 0u) << 14 |
                        s.coords << 15 | (s.transformed ? 1u : 0u) << 17;
        h = h * 1000003u ^ v;
    }
    return h;
}

std::uint32_t fog_kind_for(const device_state& s)
{
    const float* p = s.projection.m;
    if (p[3] == 0 && p[7] == 0 && p[11] == 0 && p[15] == 1)
        return fog_z;
    return fog_w;
}

program_key make_program_key(const device_state& s, const bool (&textures_present)[max_texture_stages])
{
    program_key key;
    key.lighting = s.lighting != 0;
    key.flat = s.shademode == D3DSHADE_FLAT;
    key.has_normal = (s.fvf & D3DFVF_NORMAL) != 0;
    if (s.fogenable && s.fogtablemode == D3DFOG_LINEAR)
        key.fog = fog_kind_for(s);
    bool has_texcoords = ((s.fvf >> 8) & 0xF) >= 1;

    for (int i = 0; i < max_texture_stages; ++i) {
        const texture_stage_state& st = s.stages[i];
        stage_key& k = key.stages[i];
        k.color_op = reduce_op(st.color_op);
        if (k.color_op == op_disable)
            break;
        k.color_arg1 = reduce_arg(st.color_arg1);
        k.color_arg2 = reduce_arg(st.color_arg2);
        k.alpha_op = reduce_op(st.alpha_op);
        k.alpha_arg1 = reduce_arg(st.alpha_arg1);
        k.alpha_arg2 = reduce_arg(st.alpha_arg2);
        if (!textures_present[i]) {
            pass_on_without_texture(k.color_op, k.color_arg1, k.color_arg2);
            if (k.alpha_op != op_disable)
                pass_on_without_texture(k.alpha_op, k.alpha_arg1, k.alpha_arg2);
        }
        keep_used_args(k.color_op, k.color_arg1, k.color_arg2);
        keep_used_args(k.alpha_op, k.alpha_arg1, k.alpha_arg2);

        k.samples = k.color_arg1 == arg_texture || k.color_arg2 == arg_texture ||
                    k.alpha_arg1 == arg_texture || k.alpha_arg2 == arg_texture;
        if (!k.samples)
            continue;
        std::uint32_t generate = st.tex_coord_index & 0xFFFF0000u;
        if (generate == D3DTSS_TCI_CAMERASPACEPOSITION)
            k.coords = coords_position;
        else if (generate == D3DTSS_TCI_CAMERASPACENORMAL)
            k.coords = coords_normal;
        else if (generate == 0 && (st.tex_coord_index & 0xFFFF) == 0 && has_texcoords)
            k.coords = coords_vertex;
        else
            k.coords = coords_none;
        k.transformed = st.texture_transform_flags != D3DTTFF_DISABLE;
    }
    return key;
}

std::string vertex_shader_source(const program_key& key)
{
    std::string s = glsl_header;
    s += "layout(location = 0) in vec3 a_position;\n"
         "layout(location = 1) in vec3 a_normal;\n"
         "layout(location = 2) in vec2 a_texcoord;\n"
         // Matrices arrive row-major as Direct3D keeps them; read
         // column-major they are transposed, so M * v is Direct3D's v * M.
         "uniform mat4 u_projection;\n"
         "uniform vec2 u_pixel;\n"
         "uniform mat4 u_texture_matrix[4];\n";
    // An instanced draw's world-view matrix, normal matrix and material
    // come per instance and stand in for the uniforms; they are single
    // attributes, as OpenGL ES has no attribute arrays.
    if (key.instanced) {
        for (int i = 0; i < 7; ++i)
            s += "layout(location = " + std::to_string(3 + i) + ") in vec4 a_object" + std::to_string(i) + ";\n";
        for (int i = 0; i < 3; ++i)
            s += "layout(location = " + std::to_string(10 + i) + ") in vec4 a_material" + std::to_string(i) + ";\n";
    } else {
        s += "uniform vec4 u_object[7];\n";  // world-view matrix, normal matrix
    }
    s += key.flat ? "flat out vec4 v_diffuse;\n" : "out vec4 v_diffuse;\n";
    for (int i = 0; i < max_texture_stages; ++i)
        if (key.stages[i].samples)
            s += "out vec2 v_tex" + std::to_string(i) + ";\n";
    if (key.lighting) {
        if (!key.instanced)
            s += "uniform vec4 u_material[3];\n";  // diffuse, ambient, emissive
        // The global ambient and the light count, then six entries a
        // light: camera-space position and type, camera-space unit
        // direction, diffuse, ambient, attenuation a0, a1, a2 and range,
        // spot cos(theta/2), cos(phi/2) and falloff.
        s += "uniform vec4 u_lights[49];\n";
    }

    s += "void main()\n"
         "{\n";
    if (key.instanced)
        s += "    vec4 u_object[7] = vec4[7](a_object0, a_object1, a_object2, a_object3, a_object4, a_object5,\n"
             "                               a_object6);\n"
             "    vec4 u_material[3] = vec4[3](a_material0, a_material1, a_material2);\n";
    s += "    mat4 world_view = mat4(u_object[0], u_object[1], u_object[2], u_object[3]);\n"
         "    vec4 camera = world_view * vec4(a_position, 1.0);\n"
         "    vec4 clip = u_projection * camera;\n"
         // Direct3D clips z to 0..w; pixel centres sit on integer
         // coordinates; images are stored top row first.
         "    gl_Position = vec4(clip.x + clip.w * u_pixel.x, clip.w * u_pixel.y - clip.y,\n"
         "                       2.0 * clip.z - clip.w, clip.w);\n";
    s += key.has_normal ? "    vec3 normal = mat3(u_object[4].xyz, u_object[5].xyz, u_object[6].xyz) * a_normal;\n"
                        : "    vec3 normal = vec3(0.0);\n";
    if (key.lighting) {
        s += "    vec3 ambient = u_lights[0].rgb;\n"
             "    vec3 diffuse = vec3(0.0);\n"
             "    int count = int(u_lights[0].w);\n"
             "    for (int i = 0; i < count; ++i) {\n"
             "        int at = 1 + 6 * i;\n"
             "        vec4 position = u_lights[at];\n"
             "        vec3 direction = u_lights[at + 1].xyz;\n"
             "        vec3 to_light = -direction;\n"
             "        float factor = 1.0;\n"
             "        if (position.w != 3.0) {\n"
             "            vec3 d = position.xyz - camera.xyz;\n"
             "            float dist = length(d);\n"
             "            vec4 att = u_lights[at + 4];\n"
             // Out of range the light gives nothing, its ambient included.
             "            if (dist > att.w)\n"
             "                continue;\n"
             "            to_light = dist > 0.0 ? d / dist : vec3(0.0);\n"
             "            float den = att.x + (att.y + att.z * dist) * dist;\n"
             // A zero denominator would make inf * 0 = NaN further on; a
             // huge factor saturates instead.
             "            factor = den != 0.0 ? 1.0 / den : 1.0e20;\n"
             "            if (position.w == 2.0) {\n"
             "                vec3 spot = u_lights[at + 5].xyz;\n"
             "                float rho = dot(-to_light, direction);\n"
             "                if (rho <= spot.y)\n"
             "                    factor = 0.0;\n"
             "                else if (rho <= spot.x)\n"
             "                    factor *= pow((rho - spot.y) / (spot.x - spot.y), spot.z);\n"
             "            }\n"
             "        }\n"
             "        ambient += factor * u_lights[at + 3].rgb;\n"
             "        diffuse += factor * u_lights[at + 2].rgb * max(dot(normal, to_light), 0.0);\n"
             "    }\n"
             "    vec3 lit = u_material[2].rgb + u_material[1].rgb * ambient\n"
             "             + u_material[0].rgb * diffuse;\n"
             "    v_diffuse = clamp(vec4(lit, u_material[0].a), 0.0, 1.0);\n";
    } else {
        s += "    v_diffuse = vec4(1.0);\n";
    }
    for (int i = 0; i < max_texture_stages; ++i) {
        const stage_key& k = key.stages[i];
        if (!k.samples)
            continue;
        std::string in;
        switch (k.coords) {
        case coords_vertex: in = "vec4(a_texcoord, 1.0, 0.0)"; break;
        case coords_position: in = "vec4(camera.xyz, 1.0)"; break;
        case coords_normal: in = "vec4(normal, 1.0)"; break;
        default: in = "vec4(0.0)"; break;
        }
        std::string n = std::to_string(i);
        if (k.transformed)
            s += "    v_tex" + n + " = (u_texture_matrix[" + n + "] * " + in + ").xy;\n";
        else
            s += "    v_tex" + n + " = " + in + ".xy;\n";
    }
    s += "}\n";
    return s;
}

namespace {

std::string arg_expr(std::uint32_t arg, const char* swizzle)
{
    const char* name = arg == arg_texture ? "texel" : arg == arg_current ? "current" : "diffuse";
    return std::string(name) + swizzle;
}

std::string op_expr(std::uint32_t op, std::uint32_t a1, std::uint32_t a2, const char* swizzle)
{
    switch (op) {
    case op_select1: return arg_expr(a1, swizzle);
    case op_select2: return arg_expr(a2, swizzle);
    case op_modulate: return arg_expr(a1, swizzle) + " * " + arg_expr(a2, swizzle);
    case op_add: return arg_expr(a1, swizzle) + " + " + arg_expr(a2, swizzle);
    default: return std::string("current") + swizzle;
    }
}

}  // namespace

std::string fragment_shader_source(const program_key& key)
{
    std::string s = glsl_header;
    s += key.flat ? "flat in vec4 v_diffuse;\n" : "in vec4 v_diffuse;\n";
    for (int i = 0; i < max_texture_stages; ++i) {
        if (!key.stages[i].samples)
            continue;
        std::string n = std::to_string(i);
        s += "in vec2 v_tex" + n + ";\nuniform sampler2D u_texture" + n + ";\n";
    }
    s += "uniform vec3 u_fog;\n"  // start, end, 1 / (end - start)
         "uniform vec3 u_fog_color;\n"
         "out vec4 o_color;\n"
         "void main()\n"
         "{\n"
         "    vec4 diffuse = v_diffuse;\n"
         "    vec4 current = diffuse;\n"
         "    vec4 texel;\n";
    for (int i = 0; i < max_texture_stages; ++i) {
        const stage_key& k = key.stages[i];
        if (k.color_op == op_disable)
            break;
        std::string n = std::to_string(i);
        if (k.samples)
            s += "    texel = texture(u_texture" + n + ", v_tex" + n + ");\n";
        // Each stage's result saturates, as the colour arithmetic of the
        // stages works on 0..1 values. The last one's needs no clamp when
        // fog does not follow: every target holds 0..1 values, for which
        // OpenGL clamps the output, and the blend factors made from it,
        // to 0..1 itself.
        const bool last = i + 1 == max_texture_stages || key.stages[i + 1].color_op == op_disable;
        const std::string result = "vec4(" + op_expr(k.color_op, k.color_arg1, k.color_arg2, ".rgb") + ", " +
                                   op_expr(k.alpha_op, k.alpha_arg1, k.alpha_arg2, ".a") + ")";
        s += last && key.fog == fog_none ? "    current = " + result + ";\n"
                                         : "    current = clamp(" + result + ", 0.0, 1.0);\n";
    }
    if (key.fog != fog_none) {
        // gl_FragCoord.w is 1 / clip w; gl_FragCoord.z is z / w, the depth.
        s += key.fog == fog_w ? "    float d = 1.0 / gl_FragCoord.w;\n"
                              : "    float d = gl_FragCoord.z;\n";
        s += "    float f = clamp((u_fog.y - d) * u_fog.z, 0.0, 1.0);\n"
             "    current.rgb = mix(u_fog_color, current.rgb, f);\n";
    }
    s += "    o_color = current;\n"
         "}\n";
    return s;
}

}  // namespace vorlane
