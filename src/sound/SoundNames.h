#pragma once
// The names of every sound effect the game plays. The bank file "\sound\snd.tor" carries
// one wave per name; before it is loaded (or when it is missing) each name has a silent
// placeholder, so the game runs quietly instead of failing.

#include <array>
#include <string_view>

namespace vlm::sound {

inline constexpr std::array<std::string_view, 28> kSoundNames = {
    "overbutton", "click",      "shoot0a",    "shoot0b",    "shoot0c",  "shoot1",  "shoot2",
    "shoot3",     "explosion1", "explosion2", "explosion3", "explosion4", "bonus1", "bonus2",
    "bonus3",     "bonus4",     "bonus5",     "bonus6",     "bonus7",   "bonus8",  "bonus9",
    "bonus10",    "bonus11",    "bonus12",    "stats",      "shop",     "gameover", "2shoot0",
};

}  // namespace vlm::sound
