#pragma once
// GLSL sources of the renderer's programs (see GlProgram for the dialect they are written in).

namespace vlm::render::shaders {

// Batched quads and fans: sprites, polygons, HUD, texts, particles, sky boxes, the blur overlay.
// Vertices arrive already in the space that u_matrix maps to clip space; u_view gives the eye-space
// depth used by the fog. The batch compiles one program per combination of the switches below, so
// a pixel only pays for what its batch uses (a software rasterizer runs every branch it is given):
// FOG (linear fog), REPLACE (texture colour replaces the vertex colour), ALPHA_TEST (texels at or
// below u_alphaRef are discarded), UNTEXTURED (the vertex colour alone).
inline constexpr const char* kQuadVertex = R"(
in vec3 a_pos;
in vec2 a_uv;
in vec4 a_color;
uniform mat4 u_matrix;
out vec4 v_color;
#ifndef UNTEXTURED
out vec2 v_uv;
#endif
#ifdef FOG
uniform mat4 u_view;
out float v_depth;
#endif
void main() {
#ifndef UNTEXTURED
    v_uv = a_uv;
#endif
    v_color = a_color;
#ifdef FOG
    v_depth = abs((u_view * vec4(a_pos, 1.0)).z);
#endif
    gl_Position = u_matrix * vec4(a_pos, 1.0);
}
)";

inline constexpr const char* kQuadFragment = R"(
in vec4 v_color;
#ifndef UNTEXTURED
in vec2 v_uv;
uniform sampler2D u_texture;
#endif
#ifdef ALPHA_TEST
uniform float u_alphaRef;
#endif
#ifdef FOG
in float v_depth;
uniform vec2 u_fogRange;
uniform vec3 u_fogColor;
#endif
out vec4 o_color;
void main() {
#if defined(UNTEXTURED)
    vec4 c = v_color;
#elif defined(REPLACE)
    vec4 t = texture(u_texture, v_uv);
    vec4 c = vec4(t.rgb, t.a * v_color.a);
#else
    vec4 c = texture(u_texture, v_uv) * v_color;
#endif
#ifdef ALPHA_TEST
    if (c.a <= u_alphaRef) discard;
#endif
#ifdef FOG
    float f = clamp((u_fogRange.y - v_depth) / max(u_fogRange.y - u_fogRange.x, 1e-4), 0.0, 1.0);
    c.rgb = mix(u_fogColor, c.rgb, f);
#endif
    o_color = c;
}
)";

// Meshes and spheres: lit in eye space by a fixed key light from the viewer's upper side, the
// scene's ambient light, a rim light on silhouettes, up to four point lights (the explosion flash)
// and an optional reflection texture looked up by sphere mapping. Like the batch, one program per
// combination of switches, so a pixel pays only for what its surface uses: ENV (reflection
// texture), LIGHTS (point lights shine), SPECULAR (shininess above 0), FOG, REPLACE (the texture's
// colour unlit), ALPHA_TEST (texels at or below u_alphaRef are discarded).
//
// The light is worked out per pixel, or with VERTEX_LIT per vertex and interpolated (as fixed-function
// lighting did): on a software rasterizer, where every instruction of every pixel costs, that takes
// the lighting out of the pixel's program. The level meshes' faces are flat, so the key light is the
// same either way.
inline constexpr const char* kMeshLighting = R"(
uniform vec4 u_diffuse;
#if !defined(REPLACE)
uniform vec4 u_ambient;
uniform vec4 u_emission;
uniform vec3 u_sceneAmbient;
uniform vec3 u_rimColor;
#endif
uniform vec3 u_keyDir;
uniform vec3 u_keyColor;
#ifdef SPECULAR
uniform vec4 u_specular;
uniform float u_shininess;
#endif
#if defined(LIGHTS) && !defined(REPLACE)
uniform int u_lightCount;
uniform vec3 u_lightPos[4];
uniform vec3 u_lightColor[4];
uniform vec3 u_lightAtten[4];
#endif
// The surface's unit normal at eyePos, turned towards the viewer (v: towards the viewer).
vec3 Facing(vec3 normal, vec3 v) {
    vec3 n = normalize(normal);
    return dot(n, v) < 0.0 ? -n : n;  // two-sided: faces are not culled
}
#ifdef SPECULAR
// The key light's highlight. Always per pixel: a highlight inside a large face is missed between
// its corners.
vec3 Specular(vec3 eyePos, vec3 normal) {
    vec3 v = normalize(-eyePos);
    vec3 n = Facing(normal, v);
    if (dot(n, u_keyDir) <= 0.0) return vec3(0.0);
    return u_keyColor * u_specular.rgb * pow(max(dot(n, normalize(u_keyDir + v)), 0.0), u_shininess);
}
#endif
// What falls on the surface at eyePos with the given normal: the factor its texel is lit by and
// where the reflection texture is looked up.
void Shade(vec3 eyePos, vec3 normal, out vec3 light, out vec2 envUV) {
    vec3 v = normalize(-eyePos);
    vec3 n = Facing(normal, v);
    float nk = max(dot(n, u_keyDir), 0.0);
    light = vec3(1.0);
#if !defined(REPLACE)
    light = u_emission.rgb + u_sceneAmbient * u_ambient.rgb;
    light += u_keyColor * u_diffuse.rgb * nk;
#ifdef LIGHTS
    for (int i = 0; i < 4; ++i) {
        if (i >= u_lightCount) break;
        vec3 d = u_lightPos[i] - eyePos;
        float dist = length(d);
        vec3 l = d / max(dist, 1e-4);
        float att = 1.0 / max(u_lightAtten[i].x + u_lightAtten[i].y * dist + u_lightAtten[i].z * dist * dist, 1e-4);
        light += u_lightColor[i] * u_diffuse.rgb * max(dot(n, l), 0.0) * att;
    }
#endif
    float rim = 1.0 - max(dot(n, v), 0.0);
    light += u_rimColor * rim * rim * rim;
    light = min(light, vec3(1.0));
#endif
    envUV = vec2(0.0);
#ifdef ENV
    vec3 r = reflect(-v, n);
    float m = 2.0 * sqrt(r.x * r.x + r.y * r.y + (r.z + 1.0) * (r.z + 1.0));
    envUV = r.xy / max(m, 1e-4) + 0.5;
#endif
}
)";

inline constexpr const char* kMeshVertex = R"(
in vec3 a_pos;
in vec3 a_normal;
in vec2 a_uv;
uniform mat4 u_modelView;
uniform mat4 u_projection;
uniform mat3 u_normalMatrix;
uniform vec2 u_uvOffset;
uniform vec2 u_uvScale;
out vec3 v_eyePos;
out vec2 v_uv;
out vec3 v_eyeNormal;
#ifdef VERTEX_LIT
out vec3 v_light;
out vec2 v_envUV;
#endif
invariant gl_Position;  // the same depths as the depth-only pass (kMeshDepthVertex)
void main() {
    vec4 eye = u_modelView * vec4(a_pos, 1.0);
    v_eyePos = eye.xyz;
    v_eyeNormal = u_normalMatrix * a_normal;
#ifdef VERTEX_LIT
    Shade(eye.xyz, v_eyeNormal, v_light, v_envUV);
#endif
    v_uv = a_uv * u_uvScale + u_uvOffset;
    gl_Position = u_projection * eye;
}
)";

// Depth only, for the pass that lays down an opaque mesh's nearest surface before it is shaded:
// the position computed exactly as kMeshVertex computes it, so the shading pass meets equal depths.
inline constexpr const char* kMeshDepthVertex = R"(
in vec3 a_pos;
uniform mat4 u_modelView;
uniform mat4 u_projection;
invariant gl_Position;
void main() {
    vec4 eye = u_modelView * vec4(a_pos, 1.0);
    gl_Position = u_projection * eye;
}
)";
inline constexpr const char* kMeshDepthFragment = R"(
void main() {}
)";

inline constexpr const char* kMeshFragment = R"(
in vec3 v_eyePos;
in vec2 v_uv;
in vec3 v_eyeNormal;
#ifdef VERTEX_LIT
in vec3 v_light;
in vec2 v_envUV;
#endif
uniform sampler2D u_texture;
#ifdef ENV
uniform sampler2D u_envTexture;
#endif
#ifdef ALPHA_TEST
uniform float u_alphaRef;
#endif
#ifdef FOG
uniform vec2 u_fogRange;
uniform vec3 u_fogColor;
#endif
out vec4 o_color;
void main() {
#ifdef VERTEX_LIT
    vec3 light = v_light;
    vec2 envUV = v_envUV;
#else
    vec3 light;
    vec2 envUV;
    Shade(v_eyePos, v_eyeNormal, light, envUV);
#endif
    vec4 t = texture(u_texture, v_uv);
    vec4 c = vec4(light * t.rgb, t.a * u_diffuse.a);
#ifdef ENV
    vec3 env = texture(u_envTexture, envUV).rgb;
    c.rgb = c.rgb * (0.65 + 0.7 * env) + 0.15 * env;
#endif
#ifdef SPECULAR
    c.rgb += Specular(v_eyePos, v_eyeNormal);
#endif
#ifdef ALPHA_TEST
    if (c.a <= u_alphaRef) discard;
#endif
#ifdef FOG
    float f = clamp((u_fogRange.y - abs(v_eyePos.z)) / max(u_fogRange.y - u_fogRange.x, 1e-4), 0.0, 1.0);
    c.rgb = mix(u_fogColor, c.rgb, f);
#endif
    o_color = c;
}
)";

// Blur capture: shrinks the frame into the blur's small target with a 3x3 grid of bilinear taps
// spread over the source footprint of one target texel, so no source pixel is skipped.
inline constexpr const char* kFullScreenVertex = R"(
in vec2 a_pos;
out vec2 v_uv;
void main() {
    v_uv = a_pos * 0.5 + 0.5;
    gl_Position = vec4(a_pos, 0.0, 1.0);
}
)";

inline constexpr const char* kDownsampleFragment = R"(
in vec2 v_uv;
uniform sampler2D u_texture;
uniform vec2 u_step;
out vec4 o_color;
void main() {
    vec4 sum = vec4(0.0);
    for (int y = -1; y <= 1; ++y)
        for (int x = -1; x <= 1; ++x)
            sum += texture(u_texture, v_uv + vec2(float(x), float(y)) * u_step);
    o_color = sum / 9.0;
}
)";

} // namespace vlm::render::shaders
