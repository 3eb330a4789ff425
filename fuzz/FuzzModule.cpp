// libFuzzer target: the soundtrack's entry, MusicPlayer::Open, on arbitrary bytes (libopenmpt
// parses them), then a little of what the game does with a module: jump between tunes and mix.
#include "sound/MusicPlayer.h"

#include <libopenmpt/libopenmpt.hpp>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vlm::sound;
    std::string error;
    std::unique_ptr<openmpt::module> module = MusicPlayer::Open(std::span<const uint8_t>(data, size), error);
    if (!module) {
        if (error.empty())
            std::abort();
        return 0;
    }
    MusicPlayer player;
    player.Install(std::move(module));
    player.SetVolume(100);
    static std::vector<float> stereo(2 * 1024);
    const int32_t orders = player.OrderCount();
    for (int32_t order : {0, orders / 2, orders - 1, orders, -1}) {
        player.SetOrder(order);
        std::fill(stereo.begin(), stereo.end(), 0.0f);
        player.MixAdd(stereo.data(), 1024);
        for (float s : stereo)
            if (std::isnan(s))
                std::abort();
    }
    return 0;
}
