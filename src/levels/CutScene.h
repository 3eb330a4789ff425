#pragma once
// The cut-scene screen: a short slide show of pictures and texts that the player pages through
// with the Next button, before a level's fly-in or after its statistics.
//
// A page's picture fades in over two seconds and Next shows once it is fully in; Next moves on
// to the following page, whose picture fades in while the previous one fades out. The page's
// text fades in with its picture and goes quickly when the page is left. A page without a
// picture shows Next once its text is in, and a page with neither at once, so that no page can
// hold the player. Next on the last page ends the cut-scene: the fly-in of the level it comes
// before, or the shop or the fly-out after the level it follows.
//
// The pictures and texts are made when the cut-scene starts and free themselves on the first
// frame after it has ended.
#include <cstdint>
#include <string>

#include "context/CutSceneState.h"
#include "scene/Objects.h"

namespace vlm { struct GameContext; }

namespace vlm::levels {

// A page's picture. While its page is shown it fades in (shown Next once it is opaque); once
// its page has been passed it fades out and frees itself.
class TCutSceneSprite : public scene::TGLSprite {
 public:
  explicit TCutSceneSprite(GameContext& ctx) : ctx_(ctx) {}
  void DoProgress(double deltaTime, double newTime) override;

  int32_t Time = 0;         // carried from the page, no effect
  int32_t DestroyTime = 0;  // carried from the page, no effect
  int32_t Page = 0;

 private:
  GameContext& ctx_;
};

// A page's text, in window pixels. It fades in with its page and out quickly once the page is
// passed; on a page without a picture it shows Next once it is fully in.
class TCutSceneText : public scene::TGLHUDText {
 public:
  explicit TCutSceneText(GameContext& ctx) : ctx_(ctx) {}
  void DoProgress(double deltaTime, double newTime) override;

  int32_t Time = 0;
  int32_t DestroyTime = 0;
  int32_t Page = 0;

 private:
  GameContext& ctx_;
};

// The cut-scene's objects under CutSceneDummyCube (called once by BuildLayout).
void CreateCutSceneLayout(GameContext& ctx);

// Starts the level's cut-scene (CutSceneName): its pages, the screen shown, "cutscene", the
// camera of play, the cursor. A cut-scene that cannot be read, or that has no page, is not
// started: the reason is shown with its file (section and key) and false returned, and the
// game goes on as if the level had none.
bool StartCutScene(GameContext& ctx);
// The pages of cut-scene `name` made anew, page 0 current. A picture that cannot be loaded is
// shown by file and the page goes on without it. With the music on, a cut-scene after its level
// restarts the music at pattern order 0 (the current music order is kept, so the next level moves
// the music only when its own order differs from the one before the cut-scene). False (and
// nothing changed) when it cannot be read or has no page.
bool LoadCutScene(GameContext& ctx, const std::string& name);

// Every frame in "cutscene": the loading screen fades out over a second; a page with neither
// picture nor text shows Next.
void CutSceneFrame(GameContext& ctx);
// The Next button in "cutscene" (80 ms tick and mouse presses): lit under the pointer with
// "overbutton" once per entry; a press moves to the next page or, on the last, ends the
// cut-scene. Idle while the message box is shown.
void CutSceneInput(GameContext& ctx);
// The end: before the level, its fly-in ("levelintro2", warp 20); after the level, the shop when
// the level has one, otherwise the fly-out ("levelintro").
void EndCutScene(GameContext& ctx);

}  // namespace vlm::levels
