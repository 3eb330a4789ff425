#pragma once
// The cut-scene screen's objects and globals (ctx.CutScene).
#include <cstdint>
#include <vector>

namespace vlm::scene {
class TGLBlur;
class TGLDummyCube;
class TGLSprite;
}  // namespace vlm::scene

namespace vlm::levels {

struct TCutSceneState {
  scene::TGLSprite* CutBgSprite = nullptr;
  scene::TGLDummyCube* CS_DummyCubeForPics = nullptr;
  scene::TGLBlur* CutSceneBlur = nullptr;
  scene::TGLDummyCube* CS_DummyCubeForText = nullptr;
  scene::TGLSprite* NextButtonSprite = nullptr;

  int32_t CutScenePage = 0;       // the page now shown; 0 when a cut-scene starts
  int32_t CutScenePagesLeft = 0;  // pages not yet passed, the current one counted
  // Per page of the running cut-scene: whether it shows a picture and whether it shows a text.
  std::vector<uint8_t> PagePictures, PageTexts;
  // Set by a level started straight from the command line: the cut-scene before that first
  // level is not played (the run starts "at once"); used up by the level's load.
  bool SkipBeforeLevelOnce = false;
};

}  // namespace vlm::levels
