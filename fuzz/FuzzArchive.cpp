// libFuzzer target: the archive reader on arbitrary bytes. Every entry is read; the only
// acceptable failure is DataError.
#include "data/Archive.h"
#include "data/Errors.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        const vlm::data::Archive archive =
            vlm::data::Archive::FromBytes(std::vector<uint8_t>(data, data + size), "fuzz.vlm");
        for (size_t i = 0; i < archive.Entries().size(); ++i) {
            try {
                archive.ReadEntry(i);
                archive.Contains(archive.Entries()[i].name);
            } catch (const vlm::data::DataError&) {
            }
        }
    } catch (const vlm::data::DataError&) {
    }
    return 0;
}
