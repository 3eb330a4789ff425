#pragma once
// The navigation paths: hand-made flight paths read once at start-up from the numbered
// files "\Data\t_data\nav\<n>.ini". A placement names a path by its number.

#include <string>
#include <vector>

#include "levels/DataFields.h"

namespace vlm::levels {

struct TLevelGlobals;

// One control point, in the order of its keys: "s1", "p1x", "p1y", "p1z", "r1x", "r1y", "r1z".
struct TNavNode {
    double Speed = 0.0;                    // world units per second of path clock
    double X = 0.0, Y = 0.0, Z = 0.0;      // playfield position (X up the screen, Z across)
    double RotX = 0.0, RotY = 0.0, RotZ = 0.0; // pitch, turn and roll angle, degrees
};

struct TNodesPath {
    bool Looped = false;
    std::vector<TNavNode> Nodes;
};

using TNavPathTable = std::vector<TNodesPath>;

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
