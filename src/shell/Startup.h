#pragma once
// Start-up: opening the content, the options and the first textures, and the start-up logos.
#include <string>
#include <vector>

#include "sound/AudioEngine.h"

namespace vlm { struct GameContext; }

namespace vlm::shell {

// Loads what the game needs before its first frame. Problems are shown through the platform;
// a missing archive stops the rest of the loading, as the game cannot run without its content.
// Returns false when the game cannot go on.
bool CreateGame(GameContext& ctx, sound::AudioOutput audio = sound::AudioOutput::Device);
// Routes every image and mesh load of the scene through the context's data store.
void UseDataStoreForSceneFiles(GameContext& ctx);
// The start-up logos in "gameintro", once per frame.
void GameIntroFrame(GameContext& ctx);

}  // namespace vlm::shell
