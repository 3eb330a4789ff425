#pragma once
// The two ways of stopping a running level: the pause menu (Escape: frame bars slide in from the
// top and bottom, the world is veiled by a blur, Resume / Options / Exit slide and fade in) and the
// simple pause screen (the pause keys or a lost window: a pulsing "pause" picture over two
// drifting noise layers).
#include "context/PauseState.h"
#include "scene/Objects.h"

namespace vlm { struct GameContext; }

namespace vlm::interface {

// Where the pause menu's pieces rest and start. The bars slide between kBarsOut and kBarsIn;
// Escape acts only within kSettleMargin of either end.
inline constexpr float kBarsOut = 3.8f;
inline constexpr float kBarsIn = 2.62f;
inline constexpr float kSettleMargin = 0.2f;
inline constexpr float kButtonsOut = 5.0f;   // PM_Resume's Z off to the side; PM_Exit mirrors it
inline constexpr float kMenuFadeFull = 0.935f;


// Creates the children of PauseDummyCube and PauseMenuDummyCube (both made by BuildLayout) and
// gives the pause objects their places, sizes, materials and colours.
void CreatePauseLayout(GameContext& ctx);
// Start-up: the pause pictures ("PauseMessage", "PauseNoise1", "PauseNoise2"), the menu frame
// bars ("MM_up", "MM_down") and every image button pair ("MM_Resume" and "MM_ResumeLighted" ...)
// into InterFaceLibrary. A picture that cannot be loaded is shown by file and the rest go on.
void LoadPauseTextures(GameContext& ctx);

// Escape in "pausemenu": back to the game when the bars are fully in; the menu then slides out.
// Returns whether it acted.
bool ResumeFromPauseMenu(GameContext& ctx);
// Escape in "game": opens the pause menu when it is hidden and the last closing has finished.
// Returns whether it acted.
bool OpenPauseMenu(GameContext& ctx);

// Every frame in "pausemenu": the bars slide in, the veil and the buttons fade in, the buttons
// slide to the middle.
void PauseMenuFrame(GameContext& ctx);
// The closing animation, run by HudFrame in the game states: the bars slide out and the group
// hides, the veil and the buttons fade (the middle button first), the buttons slide apart.
void PauseMenuClosingFrame(GameContext& ctx);
// Ends a closing animation at once, as its last frame leaves it (the window lost the focus).
void FinishPauseMenuClosing(GameContext& ctx);
// Every frame in "pause" and "pausemenu": the pause picture pulses, the noise layers drift apart.
void PauseScreenFrame(GameContext& ctx);
// Hover and click dispatch in "pausemenu" (80 ms tick and mouse presses); idle while the message
// box is shown.
void PauseMenuInput(GameContext& ctx);

}  // namespace vlm::interface
