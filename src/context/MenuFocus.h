#pragma once
// Keys and game controllers in the menus: a focus that the arrows, the d-pad and the stick move
// from button to button of the screen that is up, in the direction pressed (to the nearest
// button that way on the screen). While the focus is active the menus' input routines take the
// focused button for the object under the pointer, so it lights, plays "overbutton" and acts on
// a press exactly as under the mouse; moving the mouse gives the menus back to the pointer.
#include <array>
#include <cstddef>

namespace vlm { struct GameContext; }
namespace vlm::scene { class TGLBaseSceneObject; }

namespace vlm::interface {

// The buttons of the screen that is up, the first being where the focus starts.
struct TFocusTargets {
  std::array<const scene::TGLBaseSceneObject*, 48> Items{};
  size_t Count = 0;
  void Add(const scene::TGLBaseSceneObject* o);
  bool Contains(const scene::TGLBaseSceneObject* o) const;
};
void CollectFocusTargets(GameContext& ctx, TFocusTargets& out);

// Moves the focus one step (dx, dy: -1, 0 or +1, y downwards). The first step only shows the
// focus: on the button under the pointer if there is one, else on the screen's first button.
void MoveMenuFocus(GameContext& ctx, int dx, int dy);
// Before a press from a key or pad: the focus is made active (on the first button if none).
void PrepareMenuPress(GameContext& ctx);
// The focused button when the focus is active and on a button of the screen that is up; a focus
// left on a screen that went moves to the new screen's first button. Null when inactive.
const scene::TGLBaseSceneObject* FocusedObject(GameContext& ctx);

}  // namespace vlm::interface
