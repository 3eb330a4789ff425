// libFuzzer target: JPEG pictures through the game's decoder (libjpeg behind our header check).
#include "FuzzImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return FuzzDecodeImage(data, size, "fuzz.jpg");
}
