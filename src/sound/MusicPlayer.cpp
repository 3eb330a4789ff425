#include "sound/MusicPlayer.h"

#include <algorithm>
#include <libopenmpt/libopenmpt.hpp>
#include <sstream>

#include "sound/Mixer.h"

namespace vlm::sound {

MusicPlayer::MusicPlayer() : scratch_(new float[kChunk * 2]) {}
MusicPlayer::~MusicPlayer() = default;

std::unique_ptr<openmpt::module> MusicPlayer::Open(std::span<const uint8_t> bytes, std::string& error) {
    if (bytes.empty()) {
        error = "the file is empty";
        return nullptr;
    }
    std::ostringstream log;  // libopenmpt's chatter about the file; not shown to the player
    try {
        auto m = std::make_unique<openmpt::module>(bytes.data(), bytes.size(), log);
        if (m->get_num_orders() < 1) {
            error = "the module has no pattern orders";
            return nullptr;
        }
        return m;
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = "unknown module error";
    }
    return nullptr;
}

std::unique_ptr<openmpt::module> MusicPlayer::Install(std::unique_ptr<openmpt::module> module) {
    if (module) {
        module->set_repeat_count(-1);
        // The tunes are written with headroom for the effects; 3 dB up lets them carry over a
        // fight at the default volumes and still peak below full scale.
        module->set_render_param(openmpt::module::RENDER_MASTERGAIN_MILLIBEL, 300);
        // A whole render call's worth of ramping is the only smoothing we want; the module's own
        // volume ramps stay as its author set them.
    }
    std::swap(module_, module);
    return module;
}

bool MusicPlayer::SetOrder(int32_t order) {
    if (!module_ || order < 0 || order >= module_->get_num_orders()) return false;
    module_->set_position_order_row(order, 0);
    return true;
}

int32_t MusicPlayer::Order() const { return module_ ? module_->get_current_order() : -1; }
int32_t MusicPlayer::Row() const { return module_ ? module_->get_current_row() : -1; }
int32_t MusicPlayer::OrderCount() const { return module_ ? module_->get_num_orders() : 0; }

void MusicPlayer::SetVolume(int volume) { volume_ = std::clamp(volume, 0, 100); }

void MusicPlayer::MixAdd(float* stereo, size_t frames) {
    const float target = volume_ / 100.0f;
    if (!module_) {
        gain_ = target;
        return;
    }
    size_t done = 0;
    const float start = gain_;
    while (done < frames) {
        const size_t want = std::min(kChunk, frames - done);
        size_t got = 0;
        try {
            got = module_->read_interleaved_stereo(kOutputRate, want, scratch_.get());
        } catch (...) {
            got = 0;
        }
        if (got == 0) break;  // the module ended for good (it never should: it loops)
        float* out = stereo + done * 2;
        for (size_t i = 0; i < got; ++i) {
            const float g = start + (target - start) * float(done + i) / float(frames);
            out[i * 2] += scratch_[i * 2] * g;
            out[i * 2 + 1] += scratch_[i * 2 + 1] * g;
        }
        done += got;
    }
    gain_ = target;
}

}  // namespace vlm::sound
