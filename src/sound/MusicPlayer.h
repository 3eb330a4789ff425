#pragma once
// The soundtrack: one tracker module played by libopenmpt. Its pattern orders divide it into
// tunes; each tune's last pattern jumps back to the tune's first order, so playback loops within
// the tune until the game moves it to another order.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace openmpt {
class module;
}

namespace vlm::sound {

class MusicPlayer {
public:
    MusicPlayer();
    ~MusicPlayer();
    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;

    // Parses module bytes (any format libopenmpt reads). On failure returns nullptr and a reason.
    static std::unique_ptr<openmpt::module> Open(std::span<const uint8_t> bytes, std::string& error);

    // Takes over a parsed module, set to loop forever; returns the previous one so the caller
    // can free it outside the audio lock.
    std::unique_ptr<openmpt::module> Install(std::unique_ptr<openmpt::module> module);

    bool Loaded() const { return module_ != nullptr; }
    // Jumps to row 0 of `order`; false (and no change) when there is no module or no such order.
    bool SetOrder(int32_t order);
    int32_t Order() const;
    int32_t Row() const;
    int32_t OrderCount() const;

    // Volume 0..100, linear. Changes glide over one render call to avoid zipper noise.
    void SetVolume(int volume);
    int Volume() const { return volume_; }

    // Adds `frames` stereo frames of music into `stereo`.
    void MixAdd(float* stereo, size_t frames);

private:
    static constexpr size_t kChunk = 1024;
    std::unique_ptr<openmpt::module> module_;
    std::unique_ptr<float[]> scratch_;
    int volume_ = 0;
    float gain_ = 0.0f;  // gain reached at the end of the last render
};

}  // namespace vlm::sound
