#pragma once
// A level save slot's record of the player: what starting from the slot restores.
#include <cstdint>
#include <string>

namespace vlm::levels {

// The values of a level save slot the player is restored from (the profile's slot record).
struct TSlotRestore {
  int64_t Scores = 0;
  int32_t Lifes = 0;
  int32_t BonusLifeIndex = 1;
  int32_t Points = 0;
  std::string TimeShip;  // the player's own ship code while a time ship was flown, else empty
  std::string Ship;      // the ship flown when the slot was written
  double Health = 100.0;
  int32_t Armor = 0;
};

}  // namespace vlm::levels
