#pragma once
// The controls page of both options dialogs: fire, rockets, pause and the two steering
// directions, each with two places for the keyboard and two for the game controller. A place
// is chosen with the mouse, the keys or the pad; the next key (or controller button, trigger or
// stick push) pressed goes there, unless another action already has it, which a message says;
// Escape (or the pad's Back) leaves the place as it was. "defaults" puts back the game's
// controls, Back saves them into "game.ini" and returns to the options.
#include <array>
#include <cstddef>

#include "context/MenuState.h"

namespace vlm { struct GameContext; }

namespace vlm::interface {

// The page's objects under the dialog's group, and the "controls" button on the options page.
void CreateInputPage(GameContext& ctx, scene::TGLBaseSceneObject& parent, TOptionsDialog& d, bool inGame);
// The dialog's input routine calls this first: it runs the page while it is open, and opens it
// from its button. Returns whether the page took the call (the options' own buttons wait).
bool InputPageInput(GameContext& ctx, TOptionsDialog& d, const scene::TGLBaseSceneObject* picked);
// Every frame while the dialog is up: the places' names and the page's status line.
void InputPageFrame(GameContext& ctx, TOptionsDialog& d);
// Escape on an open page: back to the options (the controls kept and saved). Returns whether
// a page was open.
bool CloseInputPage(GameContext& ctx);
// A key pressed, and a pad control come on, while a place waits for one: taken here. Returns
// whether it was taken (then nothing else sees the press).
bool InputPageTakesKey(GameContext& ctx, vlm::Key key);
bool InputPageTakesPad(GameContext& ctx, vlm::PadControl control);
// How a binding is shown on the page: "-" for an empty place.
std::string_view BindingLabel(const vlm::TBinding& b);

}  // namespace vlm::interface
