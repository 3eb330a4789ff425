#include "scene/render/CloudStack.h"

#include <glm/gtc/type_ptr.hpp>

#include <cstdio>

namespace vlm::render {

namespace {

// LAYERS (1..4), OUTPUT (0 blended, 1 over the clear colour, 2 coverage) and PREMULTIPLIED_AT (the
// premultiplied layer's index, or -1) are defined in front of these sources.
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
#if OUTPUT == 1
uniform vec3 u_clear;
#endif
out vec4 o_color;
vec3 sum = vec3(0.0);
float below = 1.0;
void Layer(vec4 t, int i) {
    if (i == PREMULTIPLIED_AT) {  // planes composed before: their colour is weighted already
        sum = sum * (1.0 - t.a) + t.rgb;
        below *= 1.0 - t.a;
        return;
    }
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
#if OUTPUT == 1
    o_color = vec4(sum + u_clear * below, 1.0);
#elif OUTPUT == 2
    o_color = vec4(sum, 1.0 - below);
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
    if (!Build(IndexOf(1, Output::Blended, false), error)) return false;
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
    const int layers = static_cast<int>(index / 6) + 1;
    const int output = static_cast<int>(index / 2 % 3);
    const bool premultiplied = index % 2 != 0;
    const std::string defines = "#define LAYERS " + std::to_string(layers) + "\n#define OUTPUT " +
                                std::to_string(output) + "\n#define PREMULTIPLIED_AT " +
                                std::to_string(premultiplied ? layers - 1 : -1) + "\n";
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
    DrawStack(layers, count, overClear ? Output::OverClear : Output::Blended, clearColor, pixels);
}

bool CloudStack::ComposeHalf(const CloudLayer* layers, int count, int width, int height, CloudLayer& composed) {
    if (count <= 0) return false;
    std::string error;
    if (!half_.Ensure((width + 1) / 2, (height + 1) / 2, false, error)) {
        std::fprintf(stderr, "velmora2: %s\n", error.c_str());
        return false;
    }
    half_.Bind();
    if (!DrawStack(layers, count, Output::Coverage, glm::vec3(0.0f), Pixels::All)) return false;
    // The picture spans the viewport: its texture coordinates are the device position mapped to 0..1.
    composed = CloudLayer{};
    composed.texture = half_.Color();
    composed.u = glm::vec3(0.5f, 0.0f, 0.5f);
    composed.v = glm::vec3(0.0f, 0.5f, 0.5f);
    composed.soft = true;
    composed.premultiplied = true;
    return true;
}

bool CloudStack::DrawStack(const CloudLayer* layers, int count, Output output, const glm::vec3& clearColor,
                           Pixels pixels) {
    if (count <= 0) return false;
    if (count > kMaxLayers) count = kMaxLayers;
    const bool overClear = output == Output::OverClear;
    const std::size_t index = IndexOf(count, output, layers[count - 1].premultiplied);
    const Variant& v = variants_[index];
    if (!v.built) {
        if (v.failed) return false;  // reported when it failed
        std::string error;
        if (!Build(index, error)) {
            std::fprintf(stderr, "velmora2: %s\n", error.c_str());
            return false;
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
    gl_->SetBlend(output == Output::Blended ? BlendMode::Composite : BlendMode::Opaque);
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
    return true;
}

} // namespace vlm::render
