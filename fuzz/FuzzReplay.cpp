// libFuzzer target: the replay parser. A malformed replay is refused with std::runtime_error;
// one that parses has its start level and options within range, frame times in order and
// within range, known timers, and events that write out and parse back to themselves.
// Playing the parsed passes through the game would need the whole game and its content per
// input, far too slow for a fuzzer; the headless replay tests play real replays.
#include "FuzzInputEvent.h"

#include "data/Options.h"
#include "shell/Replay.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vlm::shell;
    const std::string text(reinterpret_cast<const char*>(data), size);
    TReplay replay;
    try {
        replay = ParseReplay(text, "fuzz.replay");
    } catch (const std::runtime_error&) {
        return 0;
    }
    if (replay.StartLevel < 0 || replay.StartLevel > kMaxReplayLevel)
        std::abort();
    if (!vlm::data::WhyOptionsOutOfRange(replay.Options).empty())
        std::abort();
    int64_t last = 0;
    for (const TReplayPass& pass : replay.Passes) {
        if (pass.FrameTimeUs < last || pass.FrameTimeUs > kMaxReplayTimeUs)
            std::abort();
        last = pass.FrameTimeUs;
        for (vlm::TimerId id : pass.Timers)
            if (static_cast<int>(id) < 0 || static_cast<int>(id) >= static_cast<int>(vlm::TimerId::Count))
                std::abort();
        for (const InputEvent& e : pass.Events)
            vlm::fuzz::CheckInputEvent(e);
    }
    return 0;
}
