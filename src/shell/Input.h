#pragma once
// Mouse, keyboard and timer dispatch: who is called when, by game state.
#include <cstdint>

#include "shell/InputScript.h"
#include "context/Keys.h"
#include "context/Timers.h"

namespace vlm { struct GameContext; }

namespace vlm::shell {

void GLSceneViewer1MouseMove(GameContext& ctx, int32_t x, int32_t y);
void GLSceneViewer1MouseDown(GameContext& ctx, MouseButton button);
void GLSceneViewer1MouseUp(GameContext& ctx, MouseButton button);
// Relative movement of the mouse device, gathered until the next frame's poll.
void MouseDeviceMotion(GameContext& ctx, int32_t dx, int32_t dy);
void FormKeyDown(GameContext& ctx, Key key);
void FormKeyUp(GameContext& ctx, Key key);
// The window lost the focus or was minimised: play pauses, the music falls silent and the
// pointer is released (and stays so until the window has the focus again).
void WindowDeactivated(GameContext& ctx);
// Pauses a game in play while the window is away; called on the loss of focus and after every
// frame while it lasts, so a fly-in that ends meanwhile does not start play unattended.
void PauseWhileAway(GameContext& ctx);
// The window has the focus again after WindowDeactivated: the music's volume comes back; the
// pause stays.
void WindowActivated(GameContext& ctx);
// Escape pressed in the menus: closes the message box, skips the intros, asks about leaving in
// the main menu, and leaves any dialog for the main menu (or the pause menu).
// Returns whether it acted.
bool EscapeInMenus(GameContext& ctx);

// Brings the mouse device up to date: movement since the last poll and the buttons.
void UpdateMouseDevice(GameContext& ctx);
// The pointer is captured while the ship is steered and released everywhere else.
bool WantsPointerCaptured(const GameContext& ctx);

void Timer1Timer(GameContext& ctx);
void BumpFxTimerTimer(GameContext& ctx);
void LevelTimerTimer(GameContext& ctx);
void Timer2Timer(GameContext& ctx);
void FireTimer(GameContext& ctx, TimerId id);

// Applies one recorded or live input event.
void ApplyInputEvent(GameContext& ctx, const InputEvent& e);

}  // namespace vlm::shell
