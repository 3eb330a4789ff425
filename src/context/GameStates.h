#pragma once
// The game states every subsystem asks about, and the one way back from a running game to the
// main menu. Declared here, below the subsystems, so that combat, levels and the interface can
// call them without reaching up into the application shell that defines them.
namespace vlm { struct GameContext; }

namespace vlm {

// States whose world runs (player, combat, level clock, scenery).
bool IsWorldState(const GameContext& ctx);
// The seven states of the main menu and its screens.
bool IsMenuState(const GameContext& ctx);
// Leaves a running (or ended) game for the main menu: the world, the slow motion and the pause
// menu are reset, a new menu background is picked, the current profile is reloaded, the music
// starts again from the top at the option's volume, and the state is "mainmenu".
void ReturnToMainMenu(GameContext& ctx);
// The end of a game (game over, or the final level flown out): back to the main menu, then the
// top ranks with 20000 points for every life left and, when the score makes the table, the name
// entry.
void ShowTopRanksAfterGame(GameContext& ctx);

}  // namespace vlm
