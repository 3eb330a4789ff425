#include "shell/Game.h"

#include "shell/FrameLoop.h"
#include "shell/Layout.h"
#include "shell/Startup.h"
#include "sound/AudioEngine.h"

namespace vlm::shell {

std::unique_ptr<GameContext> MakeGame(const GameContextConfig& config) {
  auto ctx = std::make_unique<GameContext>(config);
  BuildLayout(*ctx);
  GameContext* game = ctx.get();
  ctx->GLCadencer1.OnProgress = [game](double dt, double t) { GLCadencer1Progress(*game, dt, t); };
  return ctx;
}

std::unique_ptr<GameContext> CreateHeadlessGame(const THeadlessGameConfig& config, std::string* error) {
  GameContextConfig cfg;
  cfg.WorkingFolder = config.WorkingFolder;
  cfg.AppDataFolder = config.AppDataFolder;
  cfg.Seed = config.Seed;
  cfg.ViewportWidth = config.Width;
  cfg.ViewportHeight = config.Height;
  auto ctx = MakeGame(cfg);
  if (!CreateGame(*ctx, sound::AudioOutput::Null)) {
    if (error) {
      auto* headless = dynamic_cast<HeadlessPlatform*>(&ctx->Platform());
      *error = headless && !headless->Errors().empty() ? headless->Errors().back() : "the game could not start";
    }
    return nullptr;
  }
  return ctx;
}

}  // namespace vlm::shell
