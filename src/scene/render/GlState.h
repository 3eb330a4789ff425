#pragma once
// Cached fixed-function state (blending, depth) so that the batches and the mesh pass only touch the
// driver when something actually changes.
#include <epoxy/gl.h>

#include <cstdint>

namespace vlm::render {

// Composite: a colour already weighted by its own coverage, over what is there scaled by the source
// alpha (cloud planes composed in one pass).
enum class BlendMode : std::uint8_t { Opaque, Transparency, Additive, Modulate, Composite };

class GlState {
public:
    // Forgets the cache and puts the driver into the known state (called at the start of a frame).
    void Reset() {
        glDisable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glDepthMask(GL_TRUE);
        glDisable(GL_CULL_FACE);
        blend_ = BlendMode::Opaque;
        depthTest_ = true;
        depthWrite_ = true;
    }

    void SetBlend(BlendMode mode) {
        if (mode == blend_) return;
        if (mode == BlendMode::Opaque) {
            glDisable(GL_BLEND);
        } else {
            if (blend_ == BlendMode::Opaque) glEnable(GL_BLEND);
            // The destination alpha is kept meaningful (it ends up in screenshots' alpha channel).
            if (mode == BlendMode::Transparency)
                glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
            else if (mode == BlendMode::Additive)
                glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE, GL_ZERO, GL_ONE);
            else if (mode == BlendMode::Composite)
                glBlendFuncSeparate(GL_ONE, GL_SRC_ALPHA, GL_ZERO, GL_ONE);
            else
                glBlendFuncSeparate(GL_DST_COLOR, GL_ZERO, GL_ZERO, GL_ONE);
        }
        blend_ = mode;
    }

    void SetDepthTest(bool on) {
        if (on == depthTest_) return;
        if (on) glEnable(GL_DEPTH_TEST); else glDisable(GL_DEPTH_TEST);
        depthTest_ = on;
    }

    void SetDepthWrite(bool on) {
        if (on == depthWrite_) return;
        glDepthMask(on ? GL_TRUE : GL_FALSE);
        depthWrite_ = on;
    }

private:
    BlendMode blend_ = BlendMode::Opaque;
    bool depthTest_ = true;
    bool depthWrite_ = true;
};

} // namespace vlm::render
