#pragma once
// The game's picture on the screen: which of the three resolutions is in effect, and the one
// routine that changes it. Every options dialog (the main menu's and the pause menu's) applies a
// resolution through ChangeDisplayMode, and start-up sets the option's mode through it too.
#include <string_view>

namespace vlm { struct GameContext; }

namespace vlm {

// The message box's text when the display cannot take a mode.
inline constexpr std::string_view kVideoDeviceError = "Video device error!";

// The resolution index (1 = 640x480, 2 = 800x600, 3 = 1024x768) the picture is laid out for now,
// or 0 when the viewport is none of them.
int ResolutionInEffect(const GameContext& ctx);

// Shows the game at resolution `index`, in a window or full screen as the window is now, and
// centres the window; done also when the index is the one in effect (the mode is set again).
// When the platform refuses the mode, "Video device error!" shows in the message box (Ok alone),
// the mode stays as it was and `Options.Resolution` names the mode in effect again; returns
// false. When it is set and differs from the one in effect, every screen-space object is
// rescaled from the old resolution to the new one (HUD, menus, loading screen, cursor), and the
// viewport and the camera's scene scale follow the new width. Saving the options is the
// caller's business (after this call, so the file names the mode in effect).
bool ChangeDisplayMode(GameContext& ctx, int index);

// Lists the display's modes into "supportres.txt" in the player's folder (start-up). A file that
// cannot be written is not reported to the player: the list is only for support.
void WriteSupportedResolutions(GameContext& ctx);

}  // namespace vlm
