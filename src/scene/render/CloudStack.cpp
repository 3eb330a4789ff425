#include "scene/render/CloudStack.h"

#include <glm/gtc/type_ptr.hpp>

#include <cstdio>

namespace vlm::render {

namespace {

// LAYERS (1..4) and OVER_CLEAR are defined in front of these sources.
constexpr const char* kVertex = R"(
in vec2 a_pos;
uniform vec3 u_u[LAYERS];
uniform vec3 u_v[LAYERS];
out vec4 v_uv01;
#if LAYERS > 2
out vec4 v_uv23;
#endif
void main() {
    vec3 p = vec3(a_pos, 1.0);
    vec2 uv[4];
    for (int i = 0; i < 4; ++i) uv[i] = vec2(0.0);
    for (int i = 0; i < LAYERS; ++i) uv[i] = vec2(dot(u_u[i], p), dot(u_v[i], p));
    v_uv01 = vec4(uv[0], uv[1]);
#if LAYERS > 2
    v_uv23 = vec4(uv[2], uv[3]);
#endif
    // On the far plane: the depth of a cleared pixel, so the depth test can tell drawn from empty.
    gl_Position = vec4(a_pos, 1.0, 1.0);
}
)";

constexpr const char* kFragment = R"(
in vec4 v_uv01;
#if LAYERS > 2
in vec4 v_uv23;
#endif
uniform sampler2D u_tex0;
uniform sampler2D u_tex1;
uniform sampler2D u_tex2;
uniform sampler2D u_tex3;
uniform vec4 u_color[LAYERS];
uniform float u_keep[LAYERS];
#ifdef OVER_CLEAR
uniform vec3 u_clear;
#endif
out vec4 o_color;
vec3 sum = vec3(0.0);
float below = 1.0;
void Layer(vec4 t, int i) {
    float a = t.a * u_color[i].a;
    float k = 1.0 - u_keep[i] * a;
    sum = sum * k + t.rgb * u_color[i].rgb * a;
    below *= k;
}
void main() {
    Layer(texture(u_tex0, v_uv01.xy), 0);
#if LAYERS > 1
    Layer(texture(u_tex1, v_uv01.zw), 1);
#endif
#if LAYERS > 2
    Layer(texture(u_tex2, v_uv23.xy), 2);
#endif
#if LAYERS > 3
    Layer(texture(u_tex3, v_uv23.zw), 3);
#endif
#ifdef OVER_CLEAR
    o_color = vec4(sum + u_clear * below, 1.0);
#else
    o_color = vec4(sum, below);
#endif
}
)";

} // namespace

CloudStack::~CloudStack() {
    if (vbo_) glDeleteBuffers(1, &vbo_);
    if (vao_) glDeleteVertexArrays(1, &vao_);
}

bool CloudStack::Init(int glslVersion, GlState* gl, std::string& error) {
    gl_ = gl;
    glsl_ = glslVersion;
    // The programs are built when first drawn with (most scenes use one or two of them); the
    // single-plane one at once, so a driver that cannot build them is found at start.
    if (!Build(0, error)) return false;
    const float quad[8] = {-1, -1, 1, -1, -1, 1, 1, 1};
    glGenVertexArrays(1, &vao_);
    glGenBuffers(1, &vbo_);
    glBindVertexArray(vao_);
    glBindBuffer(GL_ARRAY_BUFFER, vbo_);
    glBufferData(GL_ARRAY_BUFFER, sizeof quad, quad, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glBindVertexArray(0);
    return true;
}

bool CloudStack::Build(std::size_t index, std::string& error) {
    Variant& v = variants_[index];
    if (v.built) return true;
    if (v.failed) return false;
    const int layers = static_cast<int>(index / 2) + 1;
    std::string defines = "#define LAYERS " + std::to_string(layers) + "\n";
    if (index % 2) defines += "#define OVER_CLEAR 1\n";
    const std::string vertex = defines + kVertex, fragment = defines + kFragment;
    if (!v.program.Build("cloud planes", glsl_, vertex.c_str(), fragment.c_str(), {{0, "a_pos"}}, error)) {
        v.failed = true;
        return false;
    }
    v.uU = v.program.Uniform("u_u");
    v.uV = v.program.Uniform("u_v");
    v.uColor = v.program.Uniform("u_color");
    v.uKeep = v.program.Uniform("u_keep");
    v.uClear = v.program.Uniform("u_clear");
    v.program.Use();
    const char* samplers[kMaxLayers] = {"u_tex0", "u_tex1", "u_tex2", "u_tex3"};
    for (int i = 0; i < kMaxLayers; ++i) glUniform1i(v.program.Uniform(samplers[i]), i);
    v.built = true;
    return true;
}

void CloudStack::Draw(const CloudLayer* layers, int count, bool overClear, const glm::vec3& clearColor,
                      Pixels pixels) {
    if (count <= 0) return;
    if (count > kMaxLayers) count = kMaxLayers;
    const std::size_t index = static_cast<std::size_t>((count - 1) * 2 + (overClear ? 1 : 0));
    const Variant& v = variants_[index];
    if (!v.built) {
        if (v.failed) return;  // reported when it failed
        std::string error;
        if (!Build(index, error)) {
            std::fprintf(stderr, "velmora2: %s\n", error.c_str());
            return;
        }
    }
    v.program.Use();
    float u[kMaxLayers * 3], w[kMaxLayers * 3], color[kMaxLayers * 4], keep[kMaxLayers];
    for (int i = 0; i < count; ++i) {
        const CloudLayer& l = layers[i];
        for (int c = 0; c < 3; ++c) {
            u[i * 3 + c] = l.u[c];
            w[i * 3 + c] = l.v[c];
        }
        for (int c = 0; c < 4; ++c) color[i * 4 + c] = l.color[c];
        keep[i] = l.additive ? 0.0f : 1.0f;
        glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + i));
        glBindTexture(GL_TEXTURE_2D, l.texture);
    }
    glUniform3fv(v.uU, count, u);
    glUniform3fv(v.uV, count, w);
    glUniform4fv(v.uColor, count, color);
    glUniform1fv(v.uKeep, count, keep);
    if (overClear) glUniform3f(v.uClear, clearColor.r, clearColor.g, clearColor.b);
    gl_->SetBlend(overClear ? BlendMode::Opaque : BlendMode::Composite);
    gl_->SetDepthTest(pixels != Pixels::All);
    gl_->SetDepthWrite(false);
    // The quad lies at the cleared depth: LEQUAL (the usual test) passes where nothing was drawn,
    // GREATER where something was.
    if (pixels == Pixels::Covered) glDepthFunc(GL_GREATER);
    glBindVertexArray(vao_);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindVertexArray(0);
    if (pixels == Pixels::Covered) glDepthFunc(GL_LEQUAL);
    glActiveTexture(GL_TEXTURE0);
    ++drawCalls_;
}

} // namespace vlm::render
