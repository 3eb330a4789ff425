#pragma once
// The pause screen's objects (ctx.Pause).
namespace vlm::scene {
class TGLDummyCube;
class TGLSkyBox;
class TGLSprite;
}  // namespace vlm::scene

namespace vlm::interface {

// The pause screen's own objects (ctx.Pause). The pause menu's named objects live in ctx.L.
struct TPauseState {
  scene::TGLDummyCube* PauseNoiseBlurDummyCube = nullptr;
  scene::TGLSkyBox* PauseSkyBox2 = nullptr;  // clouds "PauseNoise2"
  scene::TGLSkyBox* PauseSkyBox = nullptr;   // clouds "PauseNoise1"
  scene::TGLSprite* PauseMessageSprite = nullptr;
  int PulseDirection = -1;  // +1 growing, -1 shrinking
};

}  // namespace vlm::interface
