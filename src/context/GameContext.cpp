#include "context/GameContext.h"

namespace vlm {

GameContext::GameContext(const GameContextConfig& config)
    : Rng(config.Seed),
      Data(std::make_unique<data::DataStore>(config.WorkingFolder, config.AppDataFolder)),
      ViewportWidth(config.ViewportWidth),
      ViewportHeight(config.ViewportHeight) {
  if (config.Platform) {
    platform_ = config.Platform;
  } else {
    ownedPlatform_ = std::make_unique<HeadlessPlatform>();
    platform_ = ownedPlatform_.get();
  }
}

GameContext::~GameContext() = default;

}  // namespace vlm
