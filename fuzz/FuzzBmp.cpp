// libFuzzer target: BMP pictures through the game's decoder (our header check, then SDL).
#include "FuzzImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return FuzzDecodeImage(data, size, "fuzz.bmp");
}
