#pragma once
// The help dialog: three pages, the first a picture of the controls, the other two the twelve
// bonuses turning in their capsules with a caption each.
namespace vlm { struct GameContext; }
namespace vlm::scene { class TGLBaseSceneObject; }

namespace vlm::interface {

void CreateHelpLayout(GameContext& ctx);
// MM_Help: page 1.
void OpenHelp(GameContext& ctx);
void HelpInput(GameContext& ctx, const scene::TGLBaseSceneObject* picked);
// Every frame in "help": the page's picture, its number and its group.
void HelpFrame(GameContext& ctx);

}  // namespace vlm::interface
