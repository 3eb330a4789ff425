#include "shell/GameContext.h"

#include "shell/FrameLoop.h"

namespace vlm {

GameContext::GameContext(const GameContextConfig& config)
    : Rng(config.Seed),
      Data(std::make_unique<data::DataStore>(config.WorkingFolder, config.AppDataFolder)),
      ViewportWidth(config.ViewportWidth),
      ViewportHeight(config.ViewportHeight) {
  if (config.Platform) {
    platform_ = config.Platform;
  } else {
    ownedPlatform_ = std::make_unique<shell::HeadlessPlatform>();
    platform_ = ownedPlatform_.get();
  }
  shell::BuildLayout(*this);
  GLCadencer1.OnProgress = [this](double dt, double t) { shell::GLCadencer1Progress(*this, dt, t); };
}

GameContext::~GameContext() = default;

}  // namespace vlm
