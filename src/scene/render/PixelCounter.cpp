#include "scene/render/PixelCounter.h"

#include <cstdio>

namespace vlm::render {

const char* PixelCounter::Name(PixelLayer layer) {
    switch (layer) {
    case PixelLayer::Backdrop: return "sky and cloud planes";
    case PixelLayer::Bodies: return "planet, meshes";
    case PixelLayer::Sprites: return "sprites, particles, flares";
    case PixelLayer::Overlays: return "blur overlays, copies";
    case PixelLayer::Hud: return "HUD, texts";
    case PixelLayer::Count: break;
    }
    return "";
}

PixelCounter::~PixelCounter() {
    if (!queries_.empty()) glDeleteQueries(static_cast<GLsizei>(queries_.size()), queries_.data());
}

bool PixelCounter::Start() {
    if (!epoxy_has_gl_extension("GL_ARB_pipeline_statistics_query") && epoxy_gl_version() < 46) return false;
    active_ = true;
    return true;
}

void PixelCounter::Enter(PixelLayer layer) {
    if (!active_ || layer == current_) return;
    if (current_ != PixelLayer::Count) glEndQuery(GL_FRAGMENT_SHADER_INVOCATIONS_ARB);
    current_ = layer;
    if (layer == PixelLayer::Count) return;
    if (used_ == queries_.size()) {
        GLuint q = 0;
        glGenQueries(1, &q);
        queries_.push_back(q);
        queryLayer_.push_back(layer);
    }
    queryLayer_[used_] = layer;
    glBeginQuery(GL_FRAGMENT_SHADER_INVOCATIONS_ARB, queries_[used_++]);
}

void PixelCounter::EndFrame() {
    if (!active_) return;
    Enter(PixelLayer::Count);
    for (std::size_t i = 0; i < used_; ++i) {
        GLuint64 shaded = 0;
        glGetQueryObjectui64v(queries_[i], GL_QUERY_RESULT, &shaded);
        totals_[static_cast<std::size_t>(queryLayer_[i])] += shaded;
    }
    used_ = 0;
    ++frames_;
}

double PixelCounter::PerFrame(PixelLayer layer) const {
    return frames_ > 0 ? double(totals_[static_cast<std::size_t>(layer)]) / frames_ : 0.0;
}

std::string PixelCounter::Report(int width, int height) const {
    std::string out;
    char line[160];
    const double window = double(width) * double(height);
    double total = 0.0;
    for (std::size_t i = 0; i < kLayers; ++i) {
        const double p = PerFrame(static_cast<PixelLayer>(i));
        total += p;
        std::snprintf(line, sizeof line, "pixels shaded per frame, %-28s %9.0f (%.2f x the window)\n",
                      Name(static_cast<PixelLayer>(i)), p, window > 0 ? p / window : 0.0);
        out += line;
    }
    std::snprintf(line, sizeof line, "pixels shaded per frame, %-28s %9.0f (%.2f x the window), %d frames\n", "all",
                  total, window > 0 ? total / window : 0.0, frames_);
    out += line;
    return out;
}

} // namespace vlm::render
