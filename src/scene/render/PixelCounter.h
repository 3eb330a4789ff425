#pragma once
// Counts the pixels the driver shades (fragment program runs, before the depth test) per layer
// of the picture, with the GL pipeline-statistics queries. For measuring what a frame costs on a
// software rasterizer, where every shaded pixel is processor time; off unless asked for, because
// reading the counts waits for the frame to be drawn.
#include <epoxy/gl.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vlm::render {

enum class PixelLayer : int { Backdrop, Bodies, Sprites, Overlays, Hud, Count };

class PixelCounter {
public:
    static constexpr std::size_t kLayers = static_cast<std::size_t>(PixelLayer::Count);
    static const char* Name(PixelLayer layer);

    PixelCounter() = default;
    ~PixelCounter();
    PixelCounter(const PixelCounter&) = delete;
    PixelCounter& operator=(const PixelCounter&) = delete;

    // Starts counting; false when the driver has no pipeline statistics.
    bool Start();
    bool Active() const { return active_; }
    PixelLayer Current() const { return current_; }
    // What is drawn from now on counts for `layer` (what was drawn before must have been sent).
    void Enter(PixelLayer layer);
    // Closes the frame's last layer and adds the frame's counts.
    void EndFrame();

    int Frames() const { return frames_; }
    double PerFrame(PixelLayer layer) const;
    // One line per layer and the total, per frame and as multiples of a window of this size.
    std::string Report(int width, int height) const;

private:
    bool active_ = false;
    PixelLayer current_ = PixelLayer::Count;
    std::vector<GLuint> queries_;          // one per stretch of one layer in a frame, reused
    std::vector<PixelLayer> queryLayer_;
    std::size_t used_ = 0;
    std::array<std::uint64_t, kLayers> totals_{};
    int frames_ = 0;
};

} // namespace vlm::render
