#pragma once
// The course of one level in time: the way in from the menu, the loading screen and the timed
// load, the warp fly-in, the level clock, the level end decided by the 400 ms level timer,
// the statistics, the warp fly-out and the end of the game after the final level.
//
// TimeScale doubles as the warp factor: 20 when a level starts flying in, falling to 1; it
// rises again from 1 towards 20 while the ship flies out.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "context/SlotRestore.h"

namespace vlm { struct GameContext; }

namespace vlm::levels {


// The player restored from a slot: score (shown score too), lives, bonus-life index, upgrade
// points, the ship and the saved own ship, its models, health and armour. Throws
// levels::EShipCodeError when the slot's ship code is damaged; the player is then unchanged.
void RestorePlayerFromSlot(GameContext& ctx, const TSlotRestore& slot);
// The player record of a new game with `lives` lives and the first bonus life to come.
void NewGamePlayer(GameContext& ctx, int32_t lives);

// Shows the loading screen for CurrentLevel and enters "loading" (the menus call it after
// setting CurrentLevel and restoring the player).
void StartLevelFromMenu(GameContext& ctx);
// The way in before the menus: level `level` with the new-game record and three lives.
void StartLevelDirect(GameContext& ctx, int32_t level);

// Timer1 in "loading": the first tick lets the loading screen be drawn, the second loads.
void LoadingStep(GameContext& ctx);
// Loads CurrentLevel and shows the world for the fly-in. A load that stops on bad data is
// reported with the file, the section and the key (standard error and an error box); the
// half-built level is left for the main menu and the game is asked to end. False then.
bool LoadCurrentLevel(GameContext& ctx);

// Every frame in the world states: the level clock at half the frame clock.
void LevelClock(GameContext& ctx);
// "levelintro2": the warp falls from 20 to 1, the ship flies in, then "game".
void FlyInFrame(GameContext& ctx);
// "levelintro": the ship flies out with the warp rising, then "loading" of the next level;
// after the final level the game ends instead.
void FlyOutFrame(GameContext& ctx);
// LevelTimer (400 ms): the fourth qualifying tick of a cleared level ends it.
void LevelTimerTick(GameContext& ctx);
// The level end: next level, its logo and a hint, the statistics screen.
void EndLevel(GameContext& ctx);
// From the statistics (or the shop): the next level's fly-out starts.
void EnterFlyOut(GameContext& ctx);

// The logo image of `level` into the material "Episode1logo". A missing image is shown with
// its name; the previous logo stays.
void LoadEpisodeLogo(GameContext& ctx, int32_t level);
// A random hint of "hints.ini" into LoadingHintsText (five lines); nothing when there is none.
void ShowRandomHint(GameContext& ctx);
// The number of hints: sections "0", "1", ... while their "int" reads as an integer.
int32_t CountHints(GameContext& ctx);

// The loading screen, the warp overlay and the playfield's place before the camera (called by
// BuildLayout).
void CreateLevelRunLayout(GameContext& ctx);
// The camera of play: position (-0.0213, -1.58, 0.0097), scene scale from the window width.
void PlaceCamera(GameContext& ctx);

}  // namespace vlm::levels
