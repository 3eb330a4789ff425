#pragma once
// The options dialog of the main menu and its copy in the pause menu: resolution, music
// volume, sound volume and ship speed, each with minus and plus arrows and (but the
// resolution) a bar of 20 segments. Volumes are heard at once; the resolution waits for Apply;
// Cancel puts back the options as they were when the dialog opened.
#include "context/MenuState.h"

namespace vlm { struct GameContext; }
namespace vlm::scene { class TGLBaseSceneObject; }

namespace vlm::interface {

// Both dialogs: the main menu's under OptionsDummy, the pause menu's under PM_OptionsDummy.
void CreateOptionsLayout(GameContext& ctx);
// MM_Options: hides the player's name, shows the dialog and takes the options backup.
void OpenOptions(GameContext& ctx);
// The pause menu's Options button: the in-game dialog over the paused level.
void OpenPauseOptions(GameContext& ctx);
// The dialog's controls in their order; `inGame` chooses the way back (pause menu or main menu).
void OptionsInput(GameContext& ctx, TOptionsDialog& dialog, const scene::TGLBaseSceneObject* picked);
// Every frame while a dialog is open: the resolution's name and the bars' segments.
void OptionsFrame(GameContext& ctx, TOptionsDialog& dialog);
// "640x480", "800x600" or "1024x768".
const char* ResolutionName(int index);
// Apply in either dialog changes the resolution through ChangeDisplayMode (context/Display.h).

}  // namespace vlm::interface
