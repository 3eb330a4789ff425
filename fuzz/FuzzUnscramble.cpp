// libFuzzer target: scrambled lines. Arbitrary lines unscramble or raise ECryptError; any
// line scrambles to one without line breaks that unscrambles to itself.
#include "data/Errors.h"
#include "data/Scramble.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vlm::data;
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        (void)UnscrambleLine(text);
    } catch (const ECryptError&) {
    }

    std::string line;
    for (char c : text) {
        if (c != '\r' && c != '\n')
            line += c;
    }
    const std::string scrambled = ScrambleLine(line);
    if (scrambled.find_first_of("\r\n") != std::string::npos || UnscrambleLine(scrambled) != line)
        std::abort();
    return 0;
}
