#pragma once
// The scenery's objects and the values its frames scroll by (ctx.Scenery).
#include <cstdint>

namespace vlm::scene {
class TGLBlur;
class TGLDummyCube;
class TGLFreeForm;
class TGLSkyBox;
class TGLSphere;
class TGLSprite;
}  // namespace vlm::scene

namespace vlm::levels {

// The scenery's objects and globals (held by the game context as `Scenery`).
struct TSceneryState {
  scene::TGLSkyBox* GLSkyBox1 = nullptr;        // first cloud plane
  scene::TGLDummyCube* PlanetDummyCube = nullptr;
  scene::TGLSphere* Planet = nullptr;
  scene::TGLSprite* PlanetAuraSprite = nullptr;
  scene::TGLFreeForm* LevelFreeForm1 = nullptr;
  scene::TGLFreeForm* LevelFreeForm2 = nullptr;
  scene::TGLSkyBox* GLSkyBox2 = nullptr;        // second cloud plane
  scene::TGLSkyBox* LayerSkyBox = nullptr;      // layer texture plane
  scene::TGLDummyCube* Layer2Dummy = nullptr;   // parent of the layer sprites
  scene::TGLSkyBox* GLSkyBox3 = nullptr;        // third cloud plane
  scene::TGLBlur* LevelBlur = nullptr;

  double Clouds1Speed = 0.0;   // "c1speed"
  double LayerTexSpeed = 0.0;  // "l1speed"
  int32_t MeshPhase = 1;       // +1: LevelFreeForm1 leads the mesh scroll; -1: LevelFreeForm2 leads
  double PlanetBaseZ = 0.0;    // the planet's Z as the level placed it
};

}  // namespace vlm::levels
