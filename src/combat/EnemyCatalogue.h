#pragma once
// The enemy kinds catalogue: every enemy is an instance of a kind defined once in
// "\Data\t_data\Enemies.ini" and read at start-up. Placements and spawners name kinds by
// their index in the catalogue; nothing in it changes after loading.

#include <cstdint>
#include <string>
#include <vector>

#include "context/EnemyKinds.h"
#include "levels/DataFields.h"

namespace vlm::combat {


// "\Data\t_data\Enemies.ini"
inline constexpr const char* kEnemyCatalogueFile = "\\Data\\t_data\\Enemies.ini";

// Reads the kinds of sections "0", "1", ... into `kinds` (cleared first), up to the first
// section whose "kind" is missing or not an integer. Any other key of a read section that
// does not convert raises levels::EFieldError naming the file, the section and the key;
// the kinds read before it stay in the catalogue, the one being read is left out.
// A kind that launches children (attack kind 6 or class 3) whose CreateEnemyIndex is not a
// kind of the catalogue raises EFieldError too, after the whole catalogue has been read.
void LoadEnemyKinds(const levels::IniReadFn& read, TEnemyKinds& kinds);

} // namespace vlm::combat
