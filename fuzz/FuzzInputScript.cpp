// libFuzzer target: the input script parser. A malformed script is refused with
// std::runtime_error; a script that parses holds only events within their limits, in time
// order, and every event written out as a line parses back to itself.
#include "FuzzInputEvent.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vlm::shell;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<InputEvent> events;
    try {
        events = ParseInputScript(text, "fuzz.txt");
    } catch (const std::runtime_error&) {
        return 0;
    }
    for (size_t i = 0; i < events.size(); ++i) {
        vlm::fuzz::CheckInputEvent(events[i]);
        if (i > 0 && events[i].TimeMs < events[i - 1].TimeMs)
            std::abort();
    }
    return 0;
}
