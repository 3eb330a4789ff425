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

    // HUD and statistics: the score as displayed, counting up towards Scores.
    double ShownScore = 0.0;

    // Bonus timers in whole seconds.
    int32_t ShieldSeconds = 0;
    int32_t SatelliteSeconds = 0;
    int32_t DoubleDamageSeconds = 0;
    int32_t BurnShotSeconds = 0;
    int32_t FreezeShotSeconds = 0;
    int32_t SlowMotionSeconds = 0;

    // Ship and weapons: the ship's configuration, its invulnerability and the guns' state.
    uint8_t HitShieldSeconds = 0;   // invulnerable seconds left after a hit (3) or a respawn (7)
    double MaxHealth = 100.0;
    int32_t Skins = 6;              // ship skins unlocked
    int32_t PreviousSkins = 1;      // the unlocked count of the previous level
    int32_t CurrentSkin = 1;        // 1 to 6: "PlayerTex" + n
    uint8_t PrimaryLevel = 1;       // gun levels 0 to 4: front, mega, autoaim
    uint8_t MegaLevel = 0;
    uint8_t AutoaimLevel = 0;
    uint8_t RocketLevel = 1;        // 1 to 3
    uint8_t ArmorLevel = 0;         // 0 to 8
    uint8_t RegenLevel = 0;         // 0 to 3
    uint8_t BonusStrengthLevel = 0; // 0 to 5
    uint8_t TimeFreezeLevel = 0;    // the time-freeze upgrade: 0 not owned
    int32_t Rockets = 6;            // salvos in stock
    // Per gun: seconds of timer between shots, the timer, and the damage of one shot.
    double PrimaryInterval = 0.0, PrimaryTimer = 0.0, PrimaryDamage = 0.0;
    double MegaInterval = 0.0, MegaTimer = 0.0, MegaDamage = 0.0;
    double AutoaimInterval = 0.0, AutoaimTimer = 0.0, AutoaimDamage = 0.0;
    double RocketTimer = 0.085;
    double RocketInterval = 0.085;
    int32_t RocketBaseDamage = 12;
    double RocketStartSpeed = 0.2;
    double RocketAcceleration = 0.45;
};

} // namespace vlm::data
