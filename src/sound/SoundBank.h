#pragma once
// The named waves the game plays. Every name of kSoundNames is always present; until a bank
// file supplies its wave it is a silent placeholder. A bank may add further names.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sound/WaveFile.h"

namespace vlm::sound {

// One file of a bank archive: its entry name ("click.wav") and bytes.
struct BankEntry {
    std::string name;
    std::span<const uint8_t> bytes;
};

class SoundBank {
public:
    struct Item {
        std::string name;
        Wave wave;
        bool audible = false;  // false: silent placeholder
    };

    SoundBank();  // all placeholders

    // Rebuilds the bank from archive entries named "<wave>.wav" (directories are ignored).
    // Entries that do not decode and game names the bank lacks stay silent; each is reported
    // in `messages`, naming `displayName` and the entry. Returns the number of waves loaded.
    int Load(std::span<const BankEntry> entries, std::string_view displayName,
             std::vector<std::string>& messages);

    // Finds a wave by its exact name; nullptr when there is no such name.
    const Item* Find(std::string_view name) const;
    const std::vector<Item>& Items() const { return items_; }

private:
    std::vector<Item> items_;  // sorted by name
};

}  // namespace vlm::sound
