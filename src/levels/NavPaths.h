#pragma once
// The navigation paths: hand-made flight paths read once at start-up from the numbered
// files "\Data\t_data\nav\<n>.ini". A placement names a path by its number.

#include <string>
#include <vector>

#include "context/NavPathTable.h"
#include "levels/DataFields.h"

namespace vlm::levels {

struct TLevelGlobals;


// The largest size any of a node's seven values may have. The game's paths are built in
// single-precision floats (positions scaled up to eightfold) and travel divides by the
// distance between nodes, so a huge value would put NaN or infinity into an enemy's
// position; such a value is refused like one that does not convert.
inline constexpr double kMaxNavValue = 1.0e6;

// "\Data\t_data\nav\" + number + ".ini"
std::string NavPathFile(int number);

// Reads the nav files 0, 1, 2, ... into `paths` (cleared first). The table ends at the first
// file whose "i" in section "i" is not a number; a file's nodes end at the first section
// whose "s1" is not a number. Any other value that does not convert, or a node value beyond
// ±kMaxNavValue, raises EFieldError;
// the paths read before it stay in the table, the one being read is left out.
void ReadNavPaths(const IniReadFn& read, TNavPathTable& paths);

// The start-up step: LevelTime := 0, then ReadNavPaths into globals.NavPaths.
void LoadNavPaths(const IniReadFn& read, TLevelGlobals& globals);

} // namespace vlm::levels
