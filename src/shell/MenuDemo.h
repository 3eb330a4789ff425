#pragma once
// The main menu's demo. Left alone in the main menu for half a minute, the game plays one of the
// player's open levels (a random save slot of the current profile) with the pilot at the
// controls, "demo" blinking under the score. Any input of the player ends it at once and
// returns to the menu; the input that ends it does nothing else. The demo also ends by itself a
// few seconds after its game over or the level's figures, or after two and a half minutes.
// Nothing of it is kept: no save slot is written, no top rank entered, and the player's record
// is put back as it was.
#include <cstdint>

#include "shell/InputScript.h"

namespace vlm { struct GameContext; }

namespace vlm::shell {

// Once per pass of the main loop, before the frame: counts the menu's idle time, starts, flies
// and ends the demo. The windowed loop, the headless driver and replays all call it.
void MenuDemoPass(GameContext& ctx, int64_t nowUs);
// Whether an event is the player's hand at work (a key or button pressed, the mouse or a stick
// moved), as opposed to the window coming and going or a controller being plugged in.
bool IsPlayerInput(const GameContext& ctx, const InputEvent& e);
// The player's input arrived: the idle time starts over; a running demo ends on the next pass.
// Returns whether the event is taken by the demo (it then does nothing else).
bool PlayerInputArrived(GameContext& ctx);

void StartMenuDemo(GameContext& ctx);
void EndMenuDemo(GameContext& ctx);

}  // namespace vlm::shell
