#pragma once
// The state the level subsystem shares with the rest of the game: one record, embedded in
// the game context, instead of free globals. Initial values are those of a fresh start.

#include <array>
#include <cstdint>
#include <string>

#include "context/NavPathTable.h"

namespace vlm::levels {

// Drop chances out of 200 for the bonus kinds 1 to 13 (index 0 is kind 1) until a level
// gives its own "BDrop" table.
inline constexpr std::array<uint8_t, 13> kInitialBonusDropChances = {18, 7, 8, 7, 8, 5, 6, 6, 9, 8, 7, 6, 0};

struct TLevelGlobals {
    // Set by the level loader.
    double Difficulty = 1.0;        // handed to every enemy of the level when it spawns
    bool ShopAfterLevel = false;    // the shop follows the level's statistics
    bool FinalLevel = false;        // the level's fly-out ends the game
    std::string CutSceneName;       // the level's cut-scene file, empty for none
    uint8_t CutSceneShowAt = 0;     // 0 before the level, 1 after its statistics, other: never
    std::string TimeShipCode;       // the level's "TimeShip" as read
    std::array<uint8_t, 13> BonusDropChances = kInitialBonusDropChances;
    std::string SceneryName;        // the scenery set up last

    // The level run.
    double LevelTime = 0.0;         // level clock, level seconds
    int32_t LevelEndTicks = 0;      // qualifying level-timer ticks toward the level end
    int32_t CurrentLevel = 1;       // the level being played or about to be loaded
    int32_t LevelCount = 0;         // from CountLevels at start-up

    // Enemy counters the loader resets (the enemies keep them up to date).
    int32_t LevelEnemyCount = 0;    // placeholders and live enemies; the level ends at 0
    int32_t LiveSpawnCount = 0;     // live enemies spawned by other enemies
    int32_t FollowerCount = 0;      // live formation followers

    // Filled once at start-up by LoadNavPaths, never changed afterwards.
    TNavPathTable NavPaths;
};

} // namespace vlm::levels
