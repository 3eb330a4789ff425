#pragma once
// The list of the display's modes that the game writes to "supportres.txt" in the player's
// folder at every start, for whoever wants to know what the machine offers (support requests).
#include <cstdint>
#include <string>
#include <vector>

#include "data/DataStore.h"

namespace vlm::data {

struct TDisplayMode {
  int32_t Width = 0, Height = 0;
  int32_t BitsPerPixel = 0;
};

inline constexpr const char* kSupportedResolutionsFile = "supportres.txt";

// One line: "%dx%d %d Colors" of the width, the height and 2 to the power of (bits per pixel
// modulo 32) as a 32-bit value: a 32-bit mode shows 1 colour, a 24-bit one 16777216, a 16-bit
// one 65536.
std::string DisplayModeLine(const TDisplayMode& mode);
// Every mode's line in the given order, each ended by a line feed.
std::string DisplayModesText(const std::vector<TDisplayMode>& modes);
// Writes the list as "supportres.txt" in the application-data folder (made when missing),
// replacing an older file atomically. Throws DataError when the folder cannot be made and
// EWriteError naming the file when it cannot be written.
void WriteSupportedResolutions(const DataStore& store, const std::vector<TDisplayMode>& modes);

}  // namespace vlm::data
