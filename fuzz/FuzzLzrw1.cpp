// libFuzzer target: LZRW1 frames. Arbitrary bytes must decompress or be refused, and
// whatever is compressed must come back unchanged.
#include "data/Lzrw1.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> input(data, size);
    std::string problem;
    (void)vlm::data::Lzrw1Decompress(input, problem);

    const std::vector<uint8_t> frame = vlm::data::Lzrw1Compress(input);
    const auto back = vlm::data::Lzrw1Decompress(frame, problem);
    if (!back || back->size() != size || !std::equal(back->begin(), back->end(), data))
        std::abort();
    return 0;
}
