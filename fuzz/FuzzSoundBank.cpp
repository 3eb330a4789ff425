// libFuzzer target: a sound bank file as the game loads it: an archive whose entries are
// waves. Damaged archives raise DataError; damaged entries stay silent with a message.
#include "data/Archive.h"
#include "data/Errors.h"
#include "sound/SoundBank.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vlm;
    try {
        const data::Archive archive = data::Archive::FromBytes(std::vector<uint8_t>(data, data + size), "fuzz.bank");
        std::vector<std::vector<uint8_t>> contents;
        std::vector<sound::BankEntry> entries;
        contents.reserve(archive.Entries().size());
        for (size_t i = 0; i < archive.Entries().size(); ++i) {
            try {
                contents.push_back(archive.ReadEntry(i));
            } catch (const data::DataError&) {
                continue;
            }
            entries.push_back(sound::BankEntry{archive.Entries()[i].name, contents.back()});
        }
        sound::SoundBank bank;
        std::vector<std::string> messages;
        const int loaded = bank.Load(entries, "fuzz.bank", messages);
        if (loaded < 0 || static_cast<size_t>(loaded) > entries.size())
            std::abort();
        for (const sound::SoundBank::Item& item : bank.Items())
            if (bank.Find(item.name) != &item)
                std::abort();
    } catch (const data::DataError&) {
    }
    return 0;
}
