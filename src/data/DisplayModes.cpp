#include "data/DisplayModes.h"

#include <cstdio>

#include "data/FileIo.h"

namespace vlm::data {

std::string DisplayModeLine(const TDisplayMode& mode) {
  // The modulo of a negative count stays negative in C++; a mode never has one, but a driver's
  // nonsense must not shift by a negative amount.
  const uint32_t bits = uint32_t(mode.BitsPerPixel) % 32u;
  const int32_t colours = int32_t(uint32_t(1) << bits);
  char line[64];
  std::snprintf(line, sizeof line, "%dx%d %d Colors", int(mode.Width), int(mode.Height), int(colours));
  return line;
}

std::string DisplayModesText(const std::vector<TDisplayMode>& modes) {
  std::string text;
  for (const TDisplayMode& m : modes) {
    text += DisplayModeLine(m);
    text += '\n';
  }
  return text;
}

void WriteSupportedResolutions(const DataStore& store, const std::vector<TDisplayMode>& modes) {
  store.EnsureAppDataFolder();
  WriteFileAtomically(store.AppDataFolder() / kSupportedResolutionsFile, DisplayModesText(modes),
                      kSupportedResolutionsFile);
}

}  // namespace vlm::data
