#pragma once
// The main menu: the animated background, the logo, the frame bars, six image buttons and the
// player's name. The hub between games; every dialog opens over it.
namespace vlm { struct GameContext; }
namespace vlm::scene { class TGLBaseSceneObject; }

namespace vlm::interface {

// The main menu's objects under MainMenuDummy (made by BuildLayout), placed before the camera.
void CreateMainMenuLayout(GameContext& ctx);
// "menuintro", every frame: the logo fades in and shrinks to its size, the background and the
// music fade in, the bars slide in, the buttons fade in one after another, then the name; the
// menu is then "mainmenu". Not skippable.
void MenuIntroFrame(GameContext& ctx);
// The menu as its entrance leaves it: logo, bars, buttons and name in place, the background
// shown. For a way into the menu that skipped the entrance (a game started from the command
// line and left); nothing changes for a menu already entered.
void FinishMenuIntro(GameContext& ctx);
// The main menu's buttons in their order (MenuScreensInput in "mainmenu").
void MainMenuInput(GameContext& ctx, const scene::TGLBaseSceneObject* picked);

}  // namespace vlm::interface
