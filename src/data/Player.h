#pragma once
// The one record of the current player's game. This header holds the fields that the
// profiles and the options read and write; the ship and weapon state is added beside them
// by the combat code. A plain aggregate: copy it, reset it with `= TPlayer{}`.

#include <cstdint>
#include <string>

namespace vlm::data {

struct TPlayer {
    std::string Name;          // "MAIN" "Name" of the profile
    std::string FileName;      // the profile's file name in "Saves", empty when there is none
    std::string SavedShipCode; // the player's own ship while a level's time ship replaces it

    int32_t Lifes = 0;
    int32_t BonusLifeIndex = 0;
    int64_t Scores = 0;
    double Health = 0.0;
    int32_t Armor = 0;
    int32_t UpgradePoints = 0;

    // Bonus timers in whole seconds.
    int32_t ShieldSeconds = 0;
    int32_t SatelliteSeconds = 0;
    int32_t DoubleDamageSeconds = 0;
    int32_t BurnShotSeconds = 0;
    int32_t FreezeShotSeconds = 0;
    int32_t SlowMotionSeconds = 0;
};

} // namespace vlm::data
