// The level scenery on a real game context: the set-up from a level's keys, the level-to-level
// rules of the loader, the per-frame motion, the layer files and the picture settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "levels/IniFiles.h"
#include "levels/LevelHost.h"
#include "levels/LevelLoader.h"
#include "levels/Scenery.h"
#include "scene/SceneTypes.h"
#include "shell/ShellFixture.h"

namespace vlm::test {
namespace {

namespace fs = std::filesystem;

// A 2 by 2 24-bit BMP of one colour.
std::vector<uint8_t> Bmp(uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> f(54 + 16, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = uint8_t(v >> (8 * i));
  };
  f[0] = 'B';
  f[1] = 'M';
  put32(2, uint32_t(f.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, 2);
  put32(22, 2);
  f[26] = 1;
  f[28] = 24;
  put32(34, 16);
  for (int row = 0; row < 2; ++row)
    for (int px = 0; px < 2; ++px) {
      const size_t at = 54 + size_t(row) * 8 + size_t(px) * 3;
      f[at] = b;
      f[at + 1] = g;
      f[at + 2] = r;
    }
  return f;
}

constexpr const char* kLevelMain = R"([MAIN]
difficulty=1
shop=0
layer2file=
points=
skins=
TimeShip=
BDrop=
cutscene=
bd=
c1speed=0
l1speed=0,5
music=
logo=x
boss=0
)";

class Scenery : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    for (const char* name : {"sky\\a.bmp", "sky\\b.bmp", "sky\\layer.bmp", "pl\\p.bmp", "pl\\aura.bmp"})
      files[name] = Bmp(40, 80, 120);
    scene::SetFileOpener([this](const std::string& path) -> std::optional<std::vector<uint8_t>> {
      auto it = files.find(path);
      if (it == files.end()) return std::nullopt;
      return it->second;
    });
  }
  void TearDown() override {
    scene::SetFileOpener(nullptr);
    ShellTest::TearDown();
  }

  // Scenery keys of a level named `name`, with a planet of radius `radius` and no meshes.
  static std::string SceneryKeys(const std::string& name, const std::string& radius, const std::string& c1,
                                 const std::string& planet = "1") {
    return "name=" + name + "\nc1tex=sky\\a.bmp\nc2tex=\nc3tex=sky\\b.bmp\nc4tex=\nc5tex=\nlayerTex=sky\\layer.bmp\n"
           "pl=" + planet + "\nPlanet1_tex=pl\\p.bmp\npl_tex=Planet1\npl_radius=" + radius + "\npl_x=2\npl_z=-3\n"
           "pl_a=pl\\aura.bmp\npl_a_r=0,25\npl_a_g=0,5\npl_a_b=1\nMesh1=\nTexPath=\nMesh2=\n"
           "c1=" + c1 + "\nc2=Clouds2\nc3=Clouds3\nl1=layerTex\nFog=1\nFS=60\nFE=300\n";
  }
  void LoadLevelFile(int n, const std::string& scenery) {
    levels.Add(levels::LevelFileName(n), std::string(kLevelMain) + scenery);
    levels::TGameLevelHost host(*ctx);
    levels::TLevelDefinition def;
    levels::LoadLevel(n, levels.Reader(), ctx->Level, host, def);
    ASSERT_TRUE(def.Complete);
  }
  levels::TSceneryState& S() { return ctx->Scenery; }
  scene::TGLMaterialProps& Cloud(const char* name) { return ctx->GLMaterialLibrary1.LibMaterialByName(name)->Material; }

  std::map<std::string, std::vector<uint8_t>> files;
  IniFiles levels;
};

TEST_F(Scenery, LayoutHasTheSceneryObjectsInDrawingOrder) {
  const std::vector<std::string> want = {"GLSkyBox1", "PlanetDummyCube", "LevelFreeForm1", "LevelFreeForm2",
                                         "GLSkyBox2", "LayerSkyBox", "Layer2Dummy", "GLSkyBox3", "LevelBlur"};
  std::vector<std::string> got;
  for (size_t i = 0; i < L().LevelDummyCube->Count(); ++i) got.push_back(L().LevelDummyCube->Child(i)->Name);
  EXPECT_EQ(got, want);
  EXPECT_EQ(S().Planet->Parent(), S().PlanetDummyCube);
  EXPECT_EQ(S().PlanetAuraSprite->Parent(), S().PlanetDummyCube);
  EXPECT_FALSE(S().LevelBlur->Visible);
  for (const char* m : {"Clouds1", "Clouds2", "Clouds3", "Clouds4", "Clouds5", "layerTex"})
    EXPECT_NE(ctx->GLMaterialLibrary1.LibMaterialByName(m), nullptr) << m;
  EXPECT_EQ(ctx->LevelsLibrary.LibMaterialByName("PlanetAura")->Material.BlendingMode, scene::TBlendingMode::Additive);
}

TEST_F(Scenery, ALevelsKeysSetUpCloudsPlanetSkyBoxesAndFog) {
  LoadLevelFile(1, SceneryKeys("Outpost", "30", "Clouds1"));
  EXPECT_EQ(Cloud("Clouds1").Texture.FileName(), "sky\\a.bmp");
  EXPECT_EQ(Cloud("Clouds3").Texture.FileName(), "sky\\b.bmp");
  EXPECT_FALSE(Cloud("Clouds2").Texture.HasImage());  // empty key: unchanged
  EXPECT_EQ(Cloud("layerTex").Texture.FileName(), "sky\\layer.bmp");

  ASSERT_TRUE(S().Planet->Visible);
  EXPECT_FLOAT_EQ(S().Planet->Radius, 30.0f);
  EXPECT_FLOAT_EQ(S().Planet->Position.x, 2.0f);
  EXPECT_FLOAT_EQ(S().Planet->Position.z, -3.0f);
  EXPECT_DOUBLE_EQ(S().PlanetBaseZ, -3.0);
  EXPECT_TRUE(S().PlanetAuraSprite->Visible);
  EXPECT_FLOAT_EQ(S().PlanetAuraSprite->Width, 90.0f);  // the layout's own size at radius 30
  EXPECT_FLOAT_EQ(S().PlanetAuraSprite->Height, 90.0f);
  EXPECT_FLOAT_EQ(S().PlanetAuraSprite->Position.z, -3.0f);
  const scene::TColor e = S().PlanetAuraSprite->Material.Effective().FrontProperties.Emission;
  EXPECT_FLOAT_EQ(e.r, 0.25f);
  EXPECT_FLOAT_EQ(e.g, 0.5f);
  EXPECT_FLOAT_EQ(e.b, 1.0f);

  EXPECT_FALSE(S().LevelFreeForm1->Visible);  // "Mesh1" empty hides both meshes
  EXPECT_FALSE(S().LevelFreeForm2->Visible);
  EXPECT_EQ(S().GLSkyBox1->MatNameClouds, "Clouds1");
  EXPECT_EQ(S().LayerSkyBox->MatNameClouds, "layerTex");
  EXPECT_TRUE(ctx->Scene.Viewer.FogEnabled);
  EXPECT_FLOAT_EQ(ctx->Scene.Viewer.FogStart, 60.0f);
  EXPECT_FLOAT_EQ(ctx->Scene.Viewer.FogEnd, 300.0f);
  EXPECT_DOUBLE_EQ(S().LayerTexSpeed, 0.5);
}

TEST_F(Scenery, ARepeatedNameKeepsTheSceneryAndANewNameReplacesIt) {
  LoadLevelFile(1, SceneryKeys("Outpost", "30", "Clouds1"));
  LoadLevelFile(2, SceneryKeys("Outpost", "10", "Clouds5"));
  EXPECT_FLOAT_EQ(S().Planet->Radius, 30.0f);
  EXPECT_EQ(S().GLSkyBox1->MatNameClouds, "Clouds1");

  LoadLevelFile(3, SceneryKeys("Nebula", "10", "Clouds5", "0"));
  EXPECT_FLOAT_EQ(S().Planet->Radius, 30.0f);  // "pl" 0 reads no planet keys...
  EXPECT_FALSE(S().Planet->Visible);           // ...and hides the planet and its aura
  EXPECT_FALSE(S().PlanetAuraSprite->Visible);
  EXPECT_EQ(S().GLSkyBox1->MatNameClouds, "Clouds5");
}

TEST_F(Scenery, AMissingPictureNamesItsFile) {
  levels::TScenery sc;
  sc.CloudTextures[0] = "sky\\missing.jpg";
  try {
    levels::ApplySceneryKeys(*ctx, sc);
    FAIL() << "no error";
  } catch (const scene::EImageLoadError& e) {
    EXPECT_EQ(e.FileName(), "sky\\missing.jpg");
    EXPECT_NE(std::string(e.what()).find("sky\\missing.jpg"), std::string::npos);
  }
  sc.CloudTextures[0].clear();
  sc.Mesh1 = "models\\gone.3ds";
  sc.Mesh2 = "models\\gone.3ds";
  EXPECT_THROW(levels::ApplySceneryKeys(*ctx, sc), scene::EMeshLoadError);
}

TEST_F(Scenery, BlurIsShownWithTheLevelsSettingsOrHidden) {
  levels::TBlurSettings b;
  b.Shown = true;
  b.DeltaTime = 0.1;
  b.Top = 0.3;
  b.RenderWidth = 128;
  b.Mode = 1;
  b.Alpha = 0.4;
  b.Red = 0.5;
  levels::ApplyLevelBlur(*ctx, b);
  EXPECT_TRUE(S().LevelBlur->Visible);
  EXPECT_DOUBLE_EQ(S().LevelBlur->BlurDeltaTime, 0.1);
  EXPECT_FLOAT_EQ(S().LevelBlur->BlurTop, 0.3f);
  EXPECT_EQ(S().LevelBlur->RenderWidth, 128);
  const scene::TGLMaterialProps& m = S().LevelBlur->Material.Effective();
  EXPECT_EQ(m.BlendingMode, scene::TBlendingMode::Additive);
  EXPECT_FLOAT_EQ(m.FrontProperties.Diffuse.a, 0.4f);
  EXPECT_FLOAT_EQ(m.FrontProperties.Diffuse.r, 0.5f);
  b.Mode = 7;  // neither 0 nor 1: the blending stays
  levels::ApplyLevelBlur(*ctx, b);
  EXPECT_EQ(S().LevelBlur->Material.Effective().BlendingMode, scene::TBlendingMode::Additive);
  levels::ApplyLevelBlur(*ctx, levels::TBlurSettings{});
  EXPECT_FALSE(S().LevelBlur->Visible);
}

TEST_F(Scenery, CloudsFollowTheFrameClockTheSpeedsAndTheShip) {
  ctx->DeltaTime = 0.01;
  ctx->TimeScale = 1.0;
  L().PlayerDummy->Position.z = 0.54f;
  levels::SetCloudSpeeds(*ctx, 0.0, 2.0);
  levels::CloudsFrame(*ctx, 1.2);
  EXPECT_NEAR(Cloud("Clouds1").TextureOffset.x, std::sin(1.2) / 40, 1e-6);  // "c1speed" 0 sways
  EXPECT_NEAR(Cloud("Clouds1").TextureOffset.y, 0.54 / 27, 1e-6);
  EXPECT_NEAR(Cloud("layerTex").TextureOffset.x, 0.02, 1e-6);               // 0.01 s x 2
  EXPECT_NEAR(Cloud("layerTex").TextureOffset.y, 0.54 / 20, 1e-6);
  EXPECT_NEAR(Cloud("Clouds2").TextureOffset.x, 0.0008, 1e-6);
  EXPECT_NEAR(Cloud("Clouds2").TextureOffset.y, 1.0 - 0.0002, 1e-6);        // kept within one repeat

  // While the game-over sprite shows, the layers stop following the ship.
  L().GomSprite->Visible = true;
  L().PlayerDummy->Position.z = -0.3f;
  levels::CloudsFrame(*ctx, 2.0);
  EXPECT_NEAR(Cloud("Clouds1").TextureOffset.x, std::sin(2.0) / 40, 1e-6);
  EXPECT_NEAR(Cloud("Clouds1").TextureOffset.y, 0.54 / 27, 1e-6);
  EXPECT_NEAR(Cloud("layerTex").TextureOffset.y, 0.54 / 20, 1e-6);
}

TEST_F(Scenery, MeshesLeapfrogAt75UnitsASecondAndFasterInTheWarp) {
  ctx->TimeScale = 1.0;
  ctx->DeltaTime = 0.01;
  auto run = [&](double seconds) {
    for (int i = 0; i < int(std::lround(seconds / ctx->DeltaTime)); ++i) levels::PlanetFrame(*ctx);
  };
  run(11.9);  // the very first lead, from X 0, takes 12 seconds
  EXPECT_EQ(S().MeshPhase, 1);
  EXPECT_NEAR(S().LevelFreeForm1->Position.x, -892.5, 0.1);
  EXPECT_NEAR(S().LevelFreeForm2->Position.x, 7.5, 0.1);
  run(0.2);
  EXPECT_EQ(S().MeshPhase, -1);  // wrapped: the second mesh leads from X 0
  EXPECT_LT(S().LevelFreeForm2->Position.x, 0.0f);
  EXPECT_NEAR(S().LevelFreeForm1->Position.x - S().LevelFreeForm2->Position.x, 900.0, 0.01);

  ctx->TimeScale = 20.0;
  const float before = S().LevelFreeForm2->Position.x;
  run(0.1);
  EXPECT_NEAR(before - S().LevelFreeForm2->Position.x, 150.0, 0.1);  // 75 x 20 x 0.1
}

TEST_F(Scenery, PlanetSpinsAndDriftsAgainstTheShip) {
  LoadLevelFile(1, SceneryKeys("Outpost", "30", "Clouds1"));
  ctx->GameState = "levelintro";
  ctx->DeltaTime = 0.5;
  ctx->TimeScale = 2.0;
  L().PlayerDummy->Position.z = 0.5f;
  levels::PlanetFrame(*ctx);
  EXPECT_FLOAT_EQ(S().Planet->Position.z, -3.0f - 1.5f);
  EXPECT_FLOAT_EQ(S().PlanetAuraSprite->Position.z, S().Planet->Position.z);
  EXPECT_NEAR(S().Planet->GetTurnAngle(), 12.0f, 1e-4);  // unscaled by the time scale
  // Outside "game" the planet's texture turns with the unscaled clock.
  EXPECT_NEAR(ctx->LevelsLibrary.LibMaterialByName("Planet1")->Material.TextureOffset.y, 0.005, 1e-6);
}

TEST_F(Scenery, ThePlanetsPoleNeverTurnsTowardsTheCamera) {
  // The camera looks along +Y: the pole (the sphere's local Y) must stay in the screen's plane,
  // else the texture's pinched pole spins in view like a pinwheel.
  LoadLevelFile(1, SceneryKeys("Outpost", "30", "Clouds1"));
  ctx->GameState = "game";
  ctx->DeltaTime = 0.1;
  ctx->TimeScale = 1.0;
  float worst = 0.0f;
  for (int i = 0; i < 400; ++i) {  // 40 s: more than a whole turn about every axis it could use
    levels::PlanetFrame(*ctx);
    const glm::vec3 pole = glm::normalize(glm::vec3(S().Planet->AbsoluteMatrix()[1]));
    worst = std::max(worst, std::fabs(pole.y));
  }
  EXPECT_LT(worst, 0.01f);
}

TEST_F(Scenery, ImageSettingsReachEveryLibraryWithBrighterModels) {
  ctx->EnemiesLibrary.AddTextureMaterial("e");
  ctx->BonusMaterialLibrary.AddTextureMaterial("b");
  levels::ApplyImageSettings(*ctx, 0.7, 1.5);
  EXPECT_FLOAT_EQ(Cloud("Clouds3").Texture.ImageGamma, 0.7f);
  EXPECT_FLOAT_EQ(Cloud("Clouds3").Texture.ImageBrightness, 1.5f);
  EXPECT_FLOAT_EQ(ctx->BonusMaterialLibrary.LibMaterialByName("b")->Material.Texture.ImageBrightness, 1.5f);
  EXPECT_FLOAT_EQ(ctx->EnemiesLibrary.LibMaterialByName("e")->Material.Texture.ImageBrightness, 1.8f);
  EXPECT_FLOAT_EQ(ctx->EnemiesLibrary.LibMaterialByName("e")->Material.Texture.ImageGamma, 0.7f);
}

class LayerFile : public Scenery {
 protected:
  // The data store keeps files it has read, so each case writes a file of its own name.
  void Write(const std::string& text, const std::string& name = "layer.ini") {
    const fs::path p = ctx->Data->WorkingFolder() / "Data" / name;
    fs::create_directories(p.parent_path());
    std::ofstream(p) << text;
  }
};

TEST_F(LayerFile, SpritesLieInFileOrderEachNearerTheCamera) {
  Write("[0]\nmode=0\nx=0,5\nz=-1\nsx=0,2\nsz=0,3\nrotation=45\nimage=pl\\p.bmp\n"
        "[1]\nmode=1\nx=1\nz=2\nsx=1\nsz=1\nrotation=0\nimage=pl\\aura.bmp\n"
        "[2]\nmode=x\n"
        "[3]\nmode=0\nx=0\nz=0\nsx=1\nsz=1\nrotation=0\nimage=pl\\p.bmp\n");
  levels::LoadLayerFile(*ctx, "Data\\layer.ini");
  ASSERT_EQ(S().Layer2Dummy->Count(), 2u);  // the list ends at section "2"
  auto* a = dynamic_cast<levels::TLayerObject*>(S().Layer2Dummy->Child(0));
  auto* b = dynamic_cast<levels::TLayerObject*>(S().Layer2Dummy->Child(1));
  ASSERT_TRUE(a && b);
  EXPECT_FLOAT_EQ(a->Position.x, 0.5f);
  EXPECT_FLOAT_EQ(a->Position.z, -1.0f);
  EXPECT_FLOAT_EQ(a->Position.y, 1.0f);
  EXPECT_FLOAT_EQ(b->Position.y, 0.999f);
  EXPECT_FLOAT_EQ(a->Scale.x, 0.2f);
  EXPECT_FLOAT_EQ(a->Scale.z, 0.3f);
  EXPECT_FLOAT_EQ(a->Rotation, 45.0f);
  EXPECT_EQ(a->Material.BlendingMode, scene::TBlendingMode::Transparency);
  EXPECT_EQ(a->Material.Texture.ImageAlpha, scene::TGLTextureImageAlpha::SuperBlackTransparent);
  EXPECT_EQ(b->Material.BlendingMode, scene::TBlendingMode::Additive);
  EXPECT_FALSE(b->Material.Texture.Disabled);

  // The sprites stay through the level and go when the next level starts loading.
  ctx->GameState = "game";
  ctx->Scene.Progress(0.02, 1.0);
  ctx->Scene.SweepFreed();
  EXPECT_EQ(S().Layer2Dummy->Count(), 2u);
  ctx->GameState = "loading";
  ctx->Scene.Progress(0.02, 1.02);
  ctx->Scene.SweepFreed();
  EXPECT_EQ(S().Layer2Dummy->Count(), 0u);
}

TEST_F(LayerFile, NoModeMeansNoSpriteAndABadPictureNamesItsFile) {
  Write("[0]\nx=1\n");
  levels::LoadLayerFile(*ctx, "Data\\layer.ini");
  levels::LoadLayerFile(*ctx, "Data\\no such file.ini");
  EXPECT_EQ(S().Layer2Dummy->Count(), 0u);

  Write("[0]\nmode=0\nx=0\nz=0\nsx=1\nsz=1\nrotation=0\nimage=Data\\Textures\\Layer\\Gone.bmp\n", "gone.ini");
  try {
    levels::LoadLayerFile(*ctx, "Data\\gone.ini");
    FAIL() << "no error";
  } catch (const scene::EImageLoadError& e) {
    EXPECT_EQ(e.FileName(), "Data\\Textures\\Layer\\Gone.bmp");
  }
  Write("[0]\nmode=0\nx=half\n", "half.ini");
  EXPECT_THROW(levels::LoadLayerFile(*ctx, "Data\\half.ini"), levels::EFieldError);
}

}  // namespace
}  // namespace vlm::test
