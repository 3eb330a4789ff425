#include "sound/SoundBank.h"

#include <algorithm>

#include "sound/SoundNames.h"

namespace vlm::sound {

namespace {

bool EndsWithWav(std::string_view s) {
    if (s.size() < 4) return false;
    std::string_view ext = s.substr(s.size() - 4);
    return ext[0] == '.' && (ext[1] | 0x20) == 'w' && (ext[2] | 0x20) == 'a' && (ext[3] | 0x20) == 'v';
}

bool ByName(const SoundBank::Item& a, std::string_view b) { return a.name < b; }

}  // namespace

SoundBank::SoundBank() {
    for (std::string_view n : kSoundNames) items_.push_back(Item{std::string(n), Wave{}, false});
    std::sort(items_.begin(), items_.end(), [](const Item& a, const Item& b) { return a.name < b.name; });
}

const SoundBank::Item* SoundBank::Find(std::string_view name) const {
    auto it = std::lower_bound(items_.begin(), items_.end(), name, ByName);
    if (it == items_.end() || it->name != name) return nullptr;
    return &*it;
}

int SoundBank::Load(std::span<const BankEntry> entries, std::string_view displayName,
                    std::vector<std::string>& messages) {
    SoundBank fresh;
    int loaded = 0;
    const std::string file(displayName);
    for (const BankEntry& e : entries) {
        std::string_view path = e.name;
        size_t slash = path.find_last_of("\\/");
        std::string_view base = slash == std::string_view::npos ? path : path.substr(slash + 1);
        if (!EndsWithWav(base) || base.size() == 4) continue;
        std::string name(base.substr(0, base.size() - 4));
        Wave wave;
        std::string error;
        if (!DecodeWave(e.bytes, wave, error)) {
            messages.push_back(file + ": wave \"" + std::string(e.name) + "\" cannot be read (" + error +
                               "); it stays silent");
            continue;
        }
        auto it = std::lower_bound(fresh.items_.begin(), fresh.items_.end(), name, ByName);
        if (it == fresh.items_.end() || it->name != name) it = fresh.items_.insert(it, Item{name, {}, false});
        it->wave = std::move(wave);
        it->audible = true;
        ++loaded;
    }
    for (const Item& item : fresh.items_) {
        if (!item.audible) messages.push_back(file + ": no wave \"" + item.name + ".wav\"; it stays silent");
    }
    *this = std::move(fresh);
    return loaded;
}

}  // namespace vlm::sound
