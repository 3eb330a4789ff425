#pragma once
// The controls page of both options dialogs: fire, rockets, pause and the two steering
// directions, each with two places for the keyboard and two for the game controller. A place
// is chosen with the mouse, the keys or the pad; the next key (or controller button, trigger or
// stick push) pressed goes there, unless another action already has it, which a message says;
// Escape (or the pad's Back) leaves the place as it was. "defaults" puts back the game's
// controls, Back saves them into "game.ini" and returns to the options.
#include <array>
#include <cstddef>

#include "scene/Objects.h"
#include "shell/Controls.h"

namespace vlm { struct GameContext; }

namespace vlm::interface {

struct TOptionsDialog;
struct TFocusTargets;

struct TInputPage {
  scene::TGLHUDText* OpenButton = nullptr;  // "controls" on the options page
  scene::TGLDummyCube* Group = nullptr;     // the page, hidden until opened
  scene::TGLHUDText* Title = nullptr;
  scene::TGLHUDText* KeyboardHeader = nullptr;
  scene::TGLHUDText* PadHeader = nullptr;
  scene::TGLHUDText* Status = nullptr;
  std::array<scene::TGLHUDText*, shell::kActionCount> Labels{};
  // Per action: keyboard places 1 and 2, then controller places 1 and 2.
  std::array<std::array<scene::TGLHUDText*, 4>, shell::kActionCount> Cells{};
  scene::TGLHUDText* Defaults = nullptr;
  scene::TGLSprite* Back = nullptr;  // image button "MM_Back"
  bool Open = false;
  bool Waiting = false;  // for the next key or pad control, for the place below
  size_t WaitAction = 0;
  size_t WaitColumn = 0;  // 0, 1 keyboard; 2, 3 controller
};

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
bool InputPageTakesKey(GameContext& ctx, shell::Key key);
bool InputPageTakesPad(GameContext& ctx, shell::PadControl control);
// The page's buttons for the keys' and pads' focus when it is open (returns false when not).
bool InputPageFocusTargets(GameContext& ctx, TOptionsDialog& d, TFocusTargets& t);
// The options page's "controls" button for the focus.
void InputPageOpenButton(TOptionsDialog& d, TFocusTargets& t);
// How a binding is shown on the page: "-" for an empty place.
std::string_view BindingLabel(const shell::TBinding& b);

}  // namespace vlm::interface
