#include "levels/Scenery.h"

#include <cmath>
#include <map>
#include <stdexcept>
#include <utility>

#include "combat/Explosions.h"
#include "data/Numbers.h"
#include "levels/DataFields.h"
#include "context/GameContext.h"

namespace vlm::levels {

namespace {

using scene::TBlendingMode;
using scene::TGLMaterialLibrary;

// Each level mesh is this long along X; the two copies leapfrog each other.
constexpr double kMeshLength = 900.0;
constexpr double kMeshSpeed = 75.0;  // units per second at time scale 1

template <class T>
T* Add(scene::TGLBaseSceneObject& parent, const char* name, bool visible = true) {
  T* o = parent.AddNewChild<T>();
  o->Name = name;
  o->Visible = visible;
  return o;
}

scene::TGLSkyBox* AddCloudPlane(GameContext& ctx, const char* name, const char* material, float offset, float size) {
  scene::TGLSkyBox* s = Add<scene::TGLSkyBox>(*ctx.L.LevelDummyCube, name);
  s->MaterialLibrary = &ctx.GLMaterialLibrary1;
  s->MatNameClouds = material;
  s->CloudsPlaneOffset = offset;
  s->CloudsPlaneSize = size;
  return s;
}

scene::TGLLibMaterial* AddCloudMaterial(TGLMaterialLibrary& lib, const char* name, TBlendingMode blending, float alpha,
                                        scene::TGLTextureImageAlpha imageAlpha) {
  scene::TGLLibMaterial* m = lib.AddTextureMaterial(name);
  m->Material.BlendingMode = blending;
  m->Material.FrontProperties.Diffuse.a = alpha;
  m->Material.Texture.ImageAlpha = imageAlpha;
  return m;
}

scene::TGLMaterialProps* Props(TGLMaterialLibrary& lib, std::string_view name) {
  scene::TGLLibMaterial* m = lib.LibMaterialByName(name);
  return m ? &m->Material : nullptr;
}

void SetLibraryImage(TGLMaterialLibrary& lib, double gamma, double brightness) {
  for (size_t i = 0; i < lib.Count(); ++i) {
    scene::TGLTexture& t = lib.Material(i)->Material.Texture;
    t.ImageGamma = float(gamma);
    t.ImageBrightness = float(brightness);
  }
}

// Texture offsets only matter modulo 1 (the pictures repeat); keeping them small keeps them exact.
void Advance(float& offset, double by) {
  offset += float(by);
  offset -= std::floor(offset);
}

bool GameOverShown(const GameContext& ctx) { return ctx.L.GomSprite && ctx.L.GomSprite->Visible; }

}  // namespace

// ------------------------------------------------------------------------------ layer sprites

void TLayerObject::DoProgress(double deltaTime, double newTime) {
  scene::TGLSprite::DoProgress(deltaTime, newTime);
  if (ctx_.GameState == "loading" || (ctx_.L.MainMenuDummy && ctx_.L.MainMenuDummy->Visible)) Free();
}

void LoadLayerFile(GameContext& ctx, const std::string& path) {
  TSceneryState& s = ctx.Scenery;
  if (!s.Layer2Dummy || !ctx.Data) return;
  const IniReadFn read = PlainIniReader(*ctx.Data);
  const FieldReader f(read, path);
  // Sprites that show one picture in one mode share one decoded and processed image (and so
  // one texture on the card): a layer of many copies of one rock decodes it once.
  std::map<std::pair<std::string, int32_t>, const scene::TGLTexture*> decoded;
  for (int n = 0;; ++n) {
    const std::string section = SectionName(n);
    if (!f.TryInt(section, "mode")) break;
    if (n >= kMaxLayerSprites)
      throw std::runtime_error("File \"" + path + "\", section [" + section + "]: more than " +
                               std::to_string(kMaxLayerSprites) + " sprites (the limit on sprites of a layer file)");
    const double z = f.Float(section, "z");
    const double x = f.Float(section, "x");
    const double sz = f.Float(section, "sz");
    const double sx = f.Float(section, "sx");
    const double rotation = f.Float(section, "rotation");
    const int32_t mode = f.Int(section, "mode");
    const std::string image = f.Text(section, "image");

    TLayerObject* o = s.Layer2Dummy->AddNewChild<TLayerObject>(ctx);
    o->Scale = {float(sx), 0.1f, float(sz)};
    scene::TGLTexture& t = o->Material.Texture;
    t.MagFilter = scene::TGLMagFilter::Nearest;
    t.MinFilter = scene::TGLMinFilter::LinearMipmapLinear;
    t.TextureMode = scene::TGLTextureMode::Replace;
    if (mode == 0) {
      o->Material.BlendingMode = TBlendingMode::Transparency;
      t.ImageAlpha = scene::TGLTextureImageAlpha::SuperBlackTransparent;
    } else if (mode == 1) {
      o->Material.BlendingMode = TBlendingMode::Additive;
      t.ImageAlpha = scene::TGLTextureImageAlpha::Default;
    }
    const auto key = std::make_pair(image, mode);
    if (const auto same = decoded.find(key); same != decoded.end()) {
      t = *same->second;  // shares the source and the processed image
    } else {
      try {
        t.LoadFromFile(image);
      } catch (...) {
        o->Free();  // a sprite without its picture would show as a grey square
        throw;
      }
      t.Image();  // processed now, so that the copies share it
      decoded.emplace(key, &t);
    }
    t.Disabled = false;
    o->Position = {float(x), float(1.0 - 0.001 * n), float(z)};
    o->Rotation = float(rotation);
  }
}

// ------------------------------------------------------------------------------ layout

void CreateSceneryLayout(GameContext& ctx) {
  TSceneryState& s = ctx.Scenery;
  using A = scene::TGLTextureImageAlpha;

  // The animated cloud materials the sky boxes show. The cloud pictures are bright wisps on
  // black, so the see-through layers take their alpha from the picture's brightness; the
  // first layer carries the opaque space backdrop.
  TGLMaterialLibrary& clouds = ctx.GLMaterialLibrary1;
  AddCloudMaterial(clouds, "Clouds1", TBlendingMode::Transparency, 1.0f, A::Default);
  AddCloudMaterial(clouds, "Clouds2", TBlendingMode::Transparency, 0.587f, A::AlphaFromIntensity);
  AddCloudMaterial(clouds, "Clouds3", TBlendingMode::Transparency, 0.262f, A::AlphaFromIntensity);
  AddCloudMaterial(clouds, "Clouds4", TBlendingMode::Additive, 0.214f, A::Default);
  AddCloudMaterial(clouds, "Clouds5", TBlendingMode::Transparency, 0.349f, A::AlphaFromIntensity);
  scene::TGLLibMaterial* layer =
      AddCloudMaterial(clouds, "layerTex", TBlendingMode::Additive, 1.0f, A::AlphaFromIntensity);
  layer->Material.Texture.TextureMode = scene::TGLTextureMode::Replace;

  scene::TGLLibMaterial* planet = ctx.LevelsLibrary.AddTextureMaterial("Planet1");
  (void)planet;
  scene::TGLLibMaterial* aura = ctx.LevelsLibrary.AddTextureMaterial("PlanetAura");
  aura->Material.BlendingMode = TBlendingMode::Additive;
  // The level tints the aura through its emission; no diffuse so the tint is what shows.
  aura->Material.FrontProperties.Diffuse = {0.0f, 0.0f, 0.0f, 1.0f};
  aura->Material.FrontProperties.Emission = {1.0f, 1.0f, 1.0f, 1.0f};
  // The glow is a soft gradient drawn larger than its picture: mipmaps would add only cost.
  aura->Material.Texture.MinFilter = scene::TGLMinFilter::Linear;

  scene::TGLDummyCube& level = *ctx.L.LevelDummyCube;
  s.GLSkyBox1 = AddCloudPlane(ctx, "GLSkyBox1", "Clouds", 0.15f, 0.86f);

  s.PlanetDummyCube = Add<scene::TGLDummyCube>(level, "PlanetDummyCube");
  s.PlanetDummyCube->Position = {250.0f, 300.0f, -450.0f};
  s.PlanetDummyCube->Scale = {10.0f, 2.0f, 10.0f};
  s.Planet = Add<scene::TGLSphere>(*s.PlanetDummyCube, "Planet", false);
  s.Planet->Radius = 30.0f;
  s.Planet->Slices = 28;
  s.Planet->Stacks = 35;
  // The sphere's pole (its local Y) is laid into the screen's plane: the pitch turns it off the
  // view axis, the roll stands it up the screen with a slight tilt. The planet then only turns
  // about that pole, so the pole never swings round to face the camera.
  s.Planet->SetPitchAngle(90.0f);
  s.Planet->SetRollAngle(70.0f);
  s.Planet->Material.SetLibMaterial(&ctx.LevelsLibrary, "Planet1");
  s.PlanetAuraSprite = Add<scene::TGLSprite>(*s.PlanetDummyCube, "PlanetAuraSprite", false);
  s.PlanetAuraSprite->SetSize(90.0f, 90.0f);
  s.PlanetAuraSprite->Material.SetLibMaterial(&ctx.LevelsLibrary, "PlanetAura");

  s.LevelFreeForm1 = Add<scene::TGLFreeForm>(level, "LevelFreeForm1", false);
  s.LevelFreeForm2 = Add<scene::TGLFreeForm>(level, "LevelFreeForm2", false);
  s.LevelFreeForm1->Position = {0.0f, 200.0f, 0.0f};
  s.LevelFreeForm2->Position = {900.0f, 200.0f, 0.0f};
  for (scene::TGLFreeForm* f : {s.LevelFreeForm1, s.LevelFreeForm2}) {
    f->Scale = {1.2f, 0.3f, 1.0f};
    f->MaterialLibrary = &ctx.LevelTexturesLibraryPath;
  }
  s.LevelFreeForm1->Material.Texture.MinFilter = scene::TGLMinFilter::LinearMipmapNearest;

  s.GLSkyBox2 = AddCloudPlane(ctx, "GLSkyBox2", "Clouds2", 0.15f, 1.0f);
  s.LayerSkyBox = AddCloudPlane(ctx, "LayerSkyBox", "layerTex", 0.15f, 0.9f);
  s.Layer2Dummy = Add<scene::TGLDummyCube>(level, "Layer2Dummy");
  s.Layer2Dummy->Scale = {10.0f, 0.1f, 10.0f};
  // The layer sprites lie behind the play field (1.58 in front of the camera), so they pass
  // under the ship, the enemies and the shots; our layer files place them for this distance.
  s.Layer2Dummy->Position = {0.0f, 5.0f, 0.0f};
  s.GLSkyBox3 = AddCloudPlane(ctx, "GLSkyBox3", "Clouds3", 0.1f, 1.0f);

  s.LevelBlur = Add<scene::TGLBlur>(level, "LevelBlur", false);
  scene::TGLMaterialProps& blur = s.LevelBlur->Material.EffectiveForEdit();
  blur.FrontProperties.Diffuse = {0.914f, 0.906f, 0.922f, 0.722f};
  blur.BlendingMode = TBlendingMode::Transparency;
  s.LevelBlur->BlurDeltaTime = 0.05;
  s.LevelBlur->BlurLeft = s.LevelBlur->BlurRight = 0.002f;
  s.LevelBlur->BlurTop = s.LevelBlur->BlurBottom = 0.2f;
  s.LevelBlur->RenderWidth = s.LevelBlur->RenderHeight = 256;
}

// ------------------------------------------------------------------------------ level set-up

void ApplySceneryKeys(GameContext& ctx, const TScenery& sc) {
  TSceneryState& s = ctx.Scenery;
  if (!s.Planet) return;

  // Cloud and layer pictures.
  for (size_t i = 0; i < sc.CloudTextures.size(); ++i)
    if (!sc.CloudTextures[i].empty())
      ctx.GLMaterialLibrary1.LoadTexture("Clouds" + std::to_string(i + 1), sc.CloudTextures[i]);
  if (!sc.LayerTexture.empty()) ctx.GLMaterialLibrary1.LoadTexture("layerTex", sc.LayerTexture);

  // The planet and its aura.
  if (sc.Planet != 0) {
    ctx.LevelsLibrary.LoadTexture("Planet1", sc.PlanetTexture);
    s.Planet->Material.SetLibMaterialName(sc.PlanetMaterial);
    s.Planet->Visible = true;
    s.Planet->Radius = float(sc.PlanetRadius);
    s.Planet->Position.x = float(sc.PlanetX);
    s.Planet->Position.z = float(sc.PlanetZ);
    s.PlanetBaseZ = sc.PlanetZ;
    ctx.LevelsLibrary.LoadTexture("PlanetAura", sc.AuraTexture);
    s.PlanetAuraSprite->SetSize(float(3.0 * sc.PlanetRadius), float(3.0 * sc.PlanetRadius));
    s.PlanetAuraSprite->Position.x = s.Planet->Position.x;
    s.PlanetAuraSprite->Position.z = s.Planet->Position.z;
    s.PlanetAuraSprite->Visible = true;
    scene::TColor& e = s.PlanetAuraSprite->Material.EffectiveForEdit().FrontProperties.Emission;
    e = {float(sc.AuraRed), float(sc.AuraGreen), float(sc.AuraBlue), e.a};
  } else {
    s.Planet->Visible = false;
    s.PlanetAuraSprite->Visible = false;
  }

  // The level meshes. The previous scenery's mesh materials go with it; the new ones get
  // the first mesh's filter and the player's picture settings.
  if (!sc.Mesh1.empty()) {
    TGLMaterialLibrary& lib = ctx.LevelTexturesLibraryPath;
    lib.Clear();
    lib.TexturePaths = sc.TexPath;
    s.LevelFreeForm1->Visible = true;
    s.LevelFreeForm2->Visible = true;
    std::exception_ptr missingTexture;
    for (auto [form, file] : {std::pair{s.LevelFreeForm1, &sc.Mesh1}, std::pair{s.LevelFreeForm2, &sc.Mesh2}}) {
      try {
        form->LoadFromFile(*file);
      } catch (const scene::EImageLoadError&) {
        if (!missingTexture) missingTexture = std::current_exception();  // the mesh is in place
      }
    }
    const scene::TGLMinFilter filter = s.LevelFreeForm1->Material.Texture.MinFilter;
    for (size_t i = 0; i < lib.Count(); ++i) lib.Material(i)->Material.Texture.MinFilter = filter;
    SetLibraryImage(lib, ctx.Options.Gamma, ctx.Options.Brightness);
    if (missingTexture) std::rethrow_exception(missingTexture);
  } else {
    s.LevelFreeForm1->Visible = false;
    s.LevelFreeForm2->Visible = false;
  }

  // Sky boxes.
  s.GLSkyBox1->MatNameClouds = sc.SkyBox1;
  s.GLSkyBox2->MatNameClouds = sc.SkyBox2;
  s.GLSkyBox3->MatNameClouds = sc.SkyBox3;
  s.LayerSkyBox->MatNameClouds = sc.LayerSkyBox;

  // Fog.
  scene::TGLViewerSettings& v = ctx.Scene.Viewer;
  v.FogEnabled = sc.Fog;
  if (sc.Fog) {
    v.FogStart = float(sc.FogStart);
    v.FogEnd = float(sc.FogEnd);
  }
}

void ApplyLevelBlur(GameContext& ctx, const TBlurSettings& b) {
  scene::TGLBlur* blur = ctx.Scenery.LevelBlur;
  if (!blur) return;
  if (!b.Shown) {
    blur->Visible = false;
    return;
  }
  blur->BlurDeltaTime = b.DeltaTime;
  blur->BlurBottom = float(b.Bottom);
  blur->BlurTop = float(b.Top);
  blur->BlurLeft = float(b.Left);
  blur->BlurRight = float(b.Right);
  blur->Height = float(b.Height);
  blur->Width = float(b.Width);
  blur->RenderWidth = b.RenderWidth;
  blur->RenderHeight = b.RenderHeight;
  scene::TGLMaterialProps& m = blur->Material.EffectiveForEdit();
  if (b.Mode == 0) m.BlendingMode = TBlendingMode::Transparency;
  if (b.Mode == 1) m.BlendingMode = TBlendingMode::Additive;
  m.FrontProperties.Diffuse = {float(b.Red), float(b.Green), float(b.Blue), float(b.Alpha)};
  blur->Visible = true;
}

void SetCloudSpeeds(GameContext& ctx, double clouds1Speed, double layerTexSpeed) {
  ctx.Scenery.Clouds1Speed = clouds1Speed;
  ctx.Scenery.LayerTexSpeed = layerTexSpeed;
}

void ApplyImageSettings(GameContext& ctx, double gamma, double brightness) {
  SetLibraryImage(ctx.LevelsLibrary, gamma, brightness);
  SetLibraryImage(ctx.ModelsLibrary, gamma, 1.2 * brightness);
  SetLibraryImage(ctx.WeaponsLibrary, gamma, 1.2 * brightness);
  SetLibraryImage(ctx.EnemiesLibrary, gamma, 1.2 * brightness);
  SetLibraryImage(ctx.GLMaterialLibrary1, gamma, brightness);
  SetLibraryImage(ctx.ExplosionLibrary, gamma, brightness);
  SetLibraryImage(ctx.BonusMaterialLibrary, gamma, brightness);
  SetLibraryImage(ctx.LevelTexturesLibraryPath, gamma, brightness);
}

void ApplyImageSettings(GameContext& ctx) { ApplyImageSettings(ctx, ctx.Options.Gamma, ctx.Options.Brightness); }

// ------------------------------------------------------------------------------ frames

void PlanetFrame(GameContext& ctx) {
  TSceneryState& s = ctx.Scenery;
  if (!s.LevelFreeForm1) return;
  const double dt = ctx.DeltaTime * ctx.TimeScale;

  // The two meshes leapfrog along X: the leader moves, the other follows one length behind;
  // when the leader has passed a whole length, it jumps ahead and the other leads.
  scene::TGLFreeForm& f1 = *s.LevelFreeForm1;
  scene::TGLFreeForm& f2 = *s.LevelFreeForm2;
  if (s.MeshPhase == -1) {
    if (f2.Position.x > -kMeshLength) {
      f2.Position.x -= float(kMeshSpeed * dt);
      f1.Position.x = f2.Position.x + float(kMeshLength);
    } else {
      f2.Position.x = float(kMeshLength);
      f1.Position.x = f2.Position.x - float(kMeshLength);
      s.MeshPhase = 1;
    }
  }
  if (s.MeshPhase == 1) {
    if (f1.Position.x > -kMeshLength) {
      f1.Position.x -= float(kMeshSpeed * dt);
      f2.Position.x = f1.Position.x + float(kMeshLength);
    } else {
      f1.Position.x = float(kMeshLength);
      f2.Position.x = 0.0f;
      s.MeshPhase = -1;
    }
  }

  // The planet spins at its own pace and drifts a little against the ship.
  if (s.Planet->Visible) {
    // Spin about the pole only (rolling as well tumbled the pole towards the camera, where the
    // texture's pole pinched into a pinwheel).
    s.Planet->SetTurnAngle(s.Planet->GetTurnAngle() + float(24.0 * ctx.DeltaTime));
    s.Planet->Position.z = float(s.PlanetBaseZ - 3.0 * ctx.L.PlayerDummy->Position.z);
    s.PlanetAuraSprite->Position.z = s.Planet->Position.z;
    if (scene::TGLMaterialProps* p = Props(ctx.LevelsLibrary, "Planet1")) {
      const double step = ctx.GameState == "game" ? ctx.DeltaTime * ctx.TimeScale : ctx.DeltaTime;
      Advance(p->TextureOffset.y, step / 100.0);
    }
  }

  // The explosion flash dies away.
  combat::FadeExplosionLight(ctx);
}

void CloudsFrame(GameContext& ctx, double t) {
  TSceneryState& s = ctx.Scenery;
  TGLMaterialLibrary& lib = ctx.GLMaterialLibrary1;
  const double dt = ctx.DeltaTime * ctx.TimeScale;
  const double shipZ = ctx.L.PlayerDummy ? ctx.L.PlayerDummy->Position.z : 0.0;
  const bool gameOver = GameOverShown(ctx);

  if (scene::TGLMaterialProps* m = Props(lib, "Clouds1")) {
    if (s.Clouds1Speed > 0.0) {
      Advance(m->TextureOffset.x, dt * s.Clouds1Speed);
      m->TextureOffset.y = float(shipZ / 27.0);
    } else {
      if (!gameOver) m->TextureOffset.y = float(shipZ / 27.0);
      m->TextureOffset.x = float(std::sin(t) / 40.0);
    }
  }
  if (scene::TGLMaterialProps* m = Props(lib, "layerTex")) {
    if (s.LayerTexSpeed > 0.0) {
      Advance(m->TextureOffset.x, dt * s.LayerTexSpeed);
      if (!gameOver) m->TextureOffset.y = float(shipZ / 20.0);
    } else {
      if (!gameOver) m->TextureOffset.y = float(shipZ / 20.0);
      m->TextureOffset.x = float(std::sin(t) / 34.0);
    }
  }
  if (scene::TGLMaterialProps* m = Props(lib, "Clouds2")) {
    Advance(m->TextureOffset.x, 0.08 * dt);
    Advance(m->TextureOffset.y, -(0.02 * dt));
  }
  if (scene::TGLMaterialProps* m = Props(lib, "Clouds5")) {
    Advance(m->TextureOffset.x, 0.08 * dt);
    Advance(m->TextureOffset.y, -(0.014 * dt));
  }
  if (scene::TGLMaterialProps* m = Props(lib, "Clouds3")) Advance(m->TextureOffset.x, 0.06 * dt);
  if (scene::TGLMaterialProps* m = Props(lib, "Clouds4")) {
    Advance(m->TextureOffset.x, 0.06 * dt);
    Advance(m->TextureOffset.y, 0.015 * dt);
  }
}

}  // namespace vlm::levels
