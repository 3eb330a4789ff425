#pragma once
// The per-frame handler of the main window, the polled frame keys, and the one way back
// from a running game to the main menu.
namespace vlm { struct GameContext; }

namespace vlm::shell {

// Called by the frame clock once per tick, after every scene object has been advanced.
void GLCadencer1Progress(GameContext& ctx, double deltaTime, double newTime);
// Polled keys: screenshot, Enter, Escape. Called last in every frame.
void HandleFrameKeys(GameContext& ctx);
void ReturnToMainMenu(GameContext& ctx);

// States whose world runs (player, combat, level clock, scenery).
bool IsWorldState(const GameContext& ctx);
// The seven states of the main menu and its screens.
bool IsMenuState(const GameContext& ctx);

}  // namespace vlm::shell
