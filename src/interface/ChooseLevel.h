#pragma once
// Starting a game from the main menu, and the choose-level dialog: the open level save slots by
// their titles, with the hovered level's logo.
namespace vlm { struct GameContext; }
namespace vlm::scene { class TGLBaseSceneObject; }

namespace vlm::interface {

void CreateChooseLevelLayout(GameContext& ctx);
// Fills the fifteen slots from the current profile's save slots (ctx.Menus.Saves) and shows the
// open ones on the dialog. With no open slot the first one opens level 1 with a new game of
// three lives.
void LoadMenuSlots(GameContext& ctx);
// The start button: with fewer than two open slots the first one's level starts at once,
// otherwise the choose-level dialog opens.
void StartGameFromMenu(GameContext& ctx);
// Starts the level of slot `index` (0-based) with the player restored from it.
void StartSlot(GameContext& ctx, int index);
void ChooseLevelInput(GameContext& ctx, const scene::TGLBaseSceneObject* picked);

}  // namespace vlm::interface
