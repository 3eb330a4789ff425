#pragma once
// A game assembled from a fresh context: the main window's layout built into its scene and
// the frame loop running on its clock. The real program, the headless driver, the tools and
// the tests all start a game this way.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "context/GameContext.h"

namespace vlm::shell {

// A context with its layout and its frame loop, nothing loaded yet.
std::unique_ptr<GameContext> MakeGame(const GameContextConfig& config);

// The game without a window: a context over `workingFolder` (holding "original.vlm"), null
// audio, everything loaded as at start-up. Returns null when the game cannot start; the
// reason was shown through the context's platform and is in `error`.
struct THeadlessGameConfig {
  std::filesystem::path WorkingFolder;
  std::filesystem::path AppDataFolder;
  uint64_t Seed = 1;
  int32_t Width = 1024, Height = 768;
};
std::unique_ptr<GameContext> CreateHeadlessGame(const THeadlessGameConfig& config, std::string* error = nullptr);

}  // namespace vlm::shell
