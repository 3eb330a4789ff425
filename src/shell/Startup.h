#pragma once
// Start-up: opening the content, the options and the first textures, and the start-up logos.
#include <functional>
#include <string>
#include <vector>

#include "sound/AudioEngine.h"

namespace vlm { struct GameContext; }

namespace vlm::shell {

// Loads what the game needs before its first frame. Problems are shown through the platform;
// a missing archive stops the rest of the loading, as the game cannot run without its content.
// Returns false when the game cannot go on.
// `progress` hears the loading bar's percent and caption at each step (1, 10, 40, ... 100).
using StartupProgress = std::function<void(GameContext& ctx, double percent, const char* caption)>;
bool CreateGame(GameContext& ctx, sound::AudioOutput audio = sound::AudioOutput::Device,
                const StartupProgress& progress = {});
// The second phase of the loading: every texture of the effect, enemy, interface and bonus
// libraries in that order, `perFrame` at a time, handed to `draw` on a caching sprite so that the
// renderer uploads them; `progress` grows by 0.6 a material ("...loading [2/2]..."). The caching
// sprites are gone afterwards.
void CacheTextures(GameContext& ctx, int perFrame, const std::function<void()>& draw,
                   const StartupProgress& progress = {});
// Routes every image and mesh load of the scene through the context's data store.
void UseDataStoreForSceneFiles(GameContext& ctx);
// The start-up logos in "gameintro", once per frame.
void GameIntroFrame(GameContext& ctx);

}  // namespace vlm::shell
