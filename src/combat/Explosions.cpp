#include "combat/Explosions.h"

#include <cmath>
#include <stdexcept>

#include "scene/Particles.h"
#include "context/GameContext.h"

namespace vlm::combat {

namespace {

bool In(const std::string& s, std::initializer_list<const char*> states) {
  for (const char* st : states)
    if (s == st) return true;
  return false;
}

// One look of a particle trail: a soft glowing blob, additive, from a hot core colour to its
// own colour and out to nothing.
scene::TGLParticleFXManager* AddTrailManager(GameContext& ctx, const char* name, scene::TColor core,
                                             scene::TColor edge, float size, float life, size_t capacity) {
  auto* m = ctx.Scene.AddParticleManager<scene::TGLPerlinPFXManager>(name, capacity);
  m->ColorInner = core;
  m->ColorOuter = {edge.r, edge.g, edge.b, 0.0f};
  m->ParticleSize = size;
  m->ParticleLife = life;
  m->Additive = true;
  m->Friction = 0.4f;
  scene::TPFXLifeColor mid;
  mid.ColorInner = {edge.r, edge.g, edge.b, edge.a * 0.8f};
  mid.ColorOuter = {edge.r * 0.5f, edge.g * 0.5f, edge.b * 0.5f, 0.0f};
  mid.LifeTime = life * 0.35f;
  mid.SizeScale = 1.25f;
  m->LifeColors.push_back(mid);
  scene::TPFXLifeColor late;
  late.ColorInner = {edge.r * 0.6f, edge.g * 0.6f, edge.b * 0.6f, 0.35f};
  late.ColorOuter = {0.0f, 0.0f, 0.0f, 0.0f};
  late.LifeTime = life * 0.8f;
  late.SizeScale = 0.7f;
  m->LifeColors.push_back(late);
  if (ctx.L.ExplosionParticleFXRenderer) m->SetRenderer(ctx.L.ExplosionParticleFXRenderer);
  return m;
}

constexpr scene::TColor Rgb(uint32_t hex, float a = 1.0f) {
  return {float((hex >> 16) & 0xff) / 255.0f, float((hex >> 8) & 0xff) / 255.0f, float(hex & 0xff) / 255.0f, a};
}

}  // namespace

bool LeavingLevel(const GameContext& ctx) {
  return ctx.GameState == "loading" || (ctx.L.MainMenuDummy && ctx.L.MainMenuDummy->Visible);
}

scene::TGLBaseSceneObject& MainDummy(GameContext& ctx) {
  TAftermathState& s = ctx.Aftermath;
  if (!s.MainDummy || s.MainDummy->IsFreed()) s.MainDummy = ctx.Scene.FindObject("MainDummy");
  if (!s.MainDummy) throw std::logic_error("the layout has no MainDummy: the playfield group is missing");
  return *s.MainDummy;
}

void TurnToPoint(scene::TGLBaseSceneObject& obj, const glm::vec3& point, const glm::vec3& up) {
  const glm::vec3 delta = point - obj.Position;
  const float len = glm::length(delta);
  if (!(len > 1e-9f) || !std::isfinite(len)) return;
  const glm::vec3 dir = delta / len;
  glm::vec3 right = glm::cross(dir, up);
  if (glm::length(right) < 1e-6f)
    right = glm::cross(dir, std::fabs(dir.z) < 0.9f ? glm::vec3(0, 0, 1) : glm::vec3(1, 0, 0));
  right = glm::normalize(right);
  obj.Direction = dir;
  obj.Up = glm::cross(right, dir);
}

// ---------------------------------------------------------------- layout

void CreateAftermathLayout(GameContext& ctx) {
  TAftermathState& s = ctx.Aftermath;
  TLayout& L = ctx.L;

  // Explosions share the playfield's frame: X up the screen, Z across, Y only layers.
  s.ExplosionsDummyCube = L.GLDummyCube2->AddNewChild<scene::TGLDummyCube>();
  s.ExplosionsDummyCube->Name = "ExplosionsDummyCube";
  s.ExplosionsDummyCube->Scale = {6.0f, 0.1f, 8.0f};

  s.ExplosionLight = L.SceneDummyCube->AddNewChild<scene::TGLLightSource>();
  s.ExplosionLight->Name = "ExplosionLight";
  s.ExplosionLight->Position = {0.0f, -1.0f, 0.0f};
  s.ExplosionLight->Diffuse = {1.0f, 0.23f, 0.12f, 1.0f};
  s.ExplosionLight->Specular = {1.0f, 0.45f, 0.2f, 1.0f};
  s.ExplosionLight->ConstAttenuation = 10.0f;
  s.ExplosionLight->Shining = false;

  // Materials of these effects; start-up loads their pictures by name.
  auto glowing = [](scene::TGLLibMaterial* m) {
    m->Material.BlendingMode = scene::TBlendingMode::Additive;  // black vanishes, light adds up
    m->Material.FrontProperties.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    m->Material.FrontProperties.Emission = {1.0f, 1.0f, 1.0f, 1.0f};
    m->Material.Texture.MinFilter = scene::TGLMinFilter::Linear;
  };
  for (const char* name : {"exp1", "exp2", "exp3"}) glowing(ctx.ExplosionLibrary.AddTextureMaterial(name));
  for (int i = 1; i <= 6; ++i)
    glowing(ctx.EnemiesLibrary.AddTextureMaterial("EnemyClip" + std::to_string(i) + ".bmp"));
  for (int k = 1; k <= 12; ++k) {
    for (const char* suffix : {".bmp", "border.bmp"}) {
      scene::TGLLibMaterial* m = ctx.BonusMaterialLibrary.AddTextureMaterial("bonus" + std::to_string(k) + suffix);
      m->Material.BlendingMode = scene::TBlendingMode::Transparency;
      m->Material.FrontProperties.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
      m->Material.FrontProperties.Emission = {1.0f, 1.0f, 1.0f, 1.0f};
      m->Material.Texture.MinFilter = scene::TGLMinFilter::Linear;
    }
  }

  // Enemy fire: red, ember, magenta; the healer's shot toxic green.
  s.EnemyPFXManager0 = AddTrailManager(ctx, "EnemyPFXManager0", Rgb(0xffd0c0), Rgb(0xff3b3b), 0.09f, 0.35f, 1024);
  s.EnemyPFXManager1 = AddTrailManager(ctx, "EnemyPFXManager1", Rgb(0xffe0a0), Rgb(0xff7a2f), 0.09f, 0.35f, 1024);
  s.EnemyPFXManager2 = AddTrailManager(ctx, "EnemyPFXManager2", Rgb(0xffc0f0), Rgb(0xff4fd8), 0.08f, 0.3f, 1024);
  s.EnemyPFXManager3doctor =
      AddTrailManager(ctx, "EnemyPFXManager3doctor", Rgb(0xe0ffd0), Rgb(0x7dff4a), 0.1f, 0.45f, 1024);
  // Splinters of the three explosion kinds: fire, white-hot gold, and the bosses' violet.
  s.ExplosionPFXManager1 =
      AddTrailManager(ctx, "ExplosionPFXManager1", Rgb(0xfff0c0), Rgb(0xff7a2f), 0.12f, 0.5f, 2048);
  s.ExplosionPFXManager2 =
      AddTrailManager(ctx, "ExplosionPFXManager2", Rgb(0xffffff), Rgb(0xffe04a), 0.12f, 0.5f, 2048);
  s.ExplosionPFXManager3 =
      AddTrailManager(ctx, "ExplosionPFXManager3", Rgb(0xf0d0ff), Rgb(0x8a5cff), 0.14f, 0.6f, 2048);
  // Bonus pick-up: cyan sparkle.
  s.BonusPFXManager = AddTrailManager(ctx, "BonusPFXManager", Rgb(0xe0ffff), Rgb(0x3fd8ff), 0.1f, 0.5f, 1024);
}

// ---------------------------------------------------------------- explosion

TExplosionSprite* Explode(GameContext& ctx, std::string_view material, double z, double x, double y, double sizeZ,
                          double sizeX) {
  TAftermathState& s = ctx.Aftermath;
  auto* e = s.ExplosionsDummyCube->AddNewChild<TExplosionSprite>(ctx);
  e->Position = {float(x), float(y), float(z)};
  auto* sp = s.ExplosionsDummyCube->AddNewChild<scene::TGLAnimatedSprite>();
  e->Sprite = sp;
  scene::TSpriteAnimation& a = sp->AddAnimation();
  a.CurrentFrame = 0;
  a.Dimensions = scene::TSpriteAnimDimensions::Auto;
  a.StartFrame = 0;
  a.EndFrame = 15;
  a.FrameWidth = 240;
  a.FrameHeight = 180;
  a.SetFrameRate(25.0f);
  a.LibMaterialName = std::string(material);
  e->Animation = 0;
  sp->AnimationMode = scene::TSpriteAnimationMode::PlayOnce;
  sp->MaterialLibrary = &ctx.ExplosionLibrary;
  sp->PixelRatio = 60.0f;
  sp->SetAnimationIndex(0);
  sp->Position = {float(x), float(y), float(z)};
  sp->Scale.z = float((sizeZ + 0.01) * 1.3);
  sp->Scale.x = float((sizeX + 0.015) * 1.3);
  e->Age = 0.0;
  e->Lifetime = 0.5;
  ++s.LiveExplosions;
  ++s.ExplosionLayer;
  return e;
}

void TExplosionSprite::Destroy() {
  if (Sprite) Sprite->Free();
  Sprite = nullptr;
  Free();
}

void TExplosionSprite::DoProgress(double deltaTime, double newTime) {
  TGLPolygon::DoProgress(deltaTime, newTime);
  if (IsFreedSelf()) return;
  TAftermathState& s = ctx_.Aftermath;
  if (LeavingLevel(ctx_)) {
    Destroy();
    s.LiveExplosions = 0;
    s.ExplosionLayer = 0;
    return;
  }
  if (!In(ctx_.GameState, {"game", "levelintro2"})) {
    if (Sprite) Sprite->Interval = -1;  // stands frozen until play resumes
    return;
  }
  if (Sprite) Sprite->SetFrameRate(25.0f);
  // Frame time, not world time: slow motion does not stretch an explosion.
  if (Age < Lifetime) Age += ctx_.DeltaTime;
  if (Age < Lifetime) return;
  Destroy();
  --s.LiveExplosions;
  if (s.ExplosionLayer >= 250) --s.ExplosionLayer;
  if (s.LiveExplosions <= 0) s.ExplosionLayer = 0;
}

// ---------------------------------------------------------------- splinter

TExplosionSplinter* Splinter(GameContext& ctx, int32_t type, double x, double z) {
  TAftermathState& s = ctx.Aftermath;
  scene::TGLBaseSceneObject& field = MainDummy(ctx);
  auto* sp = ctx.L.DummyCubeForExplosion->AddNewChild<TExplosionSplinter>(ctx);
  sp->Target = field.AddNewChild<scene::TGLPolygon>();
  const double tz = z - 1.0 + ctx.Rng(200) / 100.0;
  const double tx = x - 1.0 + ctx.Rng(200) / 100.0;
  sp->Target->Position = {float(tx), 0.0f, float(tz)};
  sp->Speed = 4.0;
  sp->Position = {float(x), 0.0f, float(z)};
  sp->Scale.x = sp->Scale.y = 0.001f;

  sp->Trail = field.AddNewChild<scene::TGLPolygon>();
  sp->Trail->Scale = {0.00001f, 0.00001f, 0.00001f};
  sp->Trail->Position = {float(x + 0.15), 0.0f, float(z)};
  scene::TGLParticleFXManager* m = nullptr;
  switch (type) {
    case 1: m = s.ExplosionPFXManager1; break;
    case 2: m = s.ExplosionPFXManager2; break;
    case 3: m = s.ExplosionPFXManager3; break;
    case 5: m = s.BonusPFXManager; break;
    case 6: m = s.EnemyPFXManager3doctor; break;
    default: break;
  }
  if (m) sp->Trail->AddSourceEffect(m, 0.05);
  return sp;
}

void TExplosionSplinter::Destroy() {
  if (Trail) {
    Trail->ClearEffects();
    Trail->Free();
  }
  if (Target) Target->Free();
  Trail = nullptr;
  Target = nullptr;
  Free();
}

void TExplosionSplinter::DoProgress(double deltaTime, double newTime) {
  TGLPolygon::DoProgress(deltaTime, newTime);
  if (IsFreedSelf()) return;
  if (LeavingLevel(ctx_)) {
    ctx_.Aftermath.LiveExplosions = 0;
    Destroy();
    return;
  }
  const double dt = ctx_.DeltaTime * ctx_.TimeScale;
  Speed -= 5.5 * dt;
  if (Target) TurnToPoint(*this, Target->Position, {0.0f, 1.0f, 0.0f});
  Move(float(0.1 * Speed * dt));
  if (Trail) {
    Trail->Position.x = Position.x;
    Trail->Position.z = Position.z;
  }
  if (Speed <= 0.0) Destroy();
}

// ---------------------------------------------------------------- spark

TPlayerClipSpriteExplosion* Spark(GameContext& ctx, std::string_view material, double x, double z) {
  scene::TGLBaseSceneObject& field = MainDummy(ctx);
  auto* sp = field.AddNewChild<TPlayerClipSpriteExplosion>(ctx);
  if (const scene::TGLLibMaterial* lm = ctx.WeaponsLibrary.LibMaterialByName(material)) {
    sp->Material.AssignFromLibMaterial(*lm);
  } else {
    // Without its picture the spark still glows: a plain additive quad.
    sp->Material.BlendingMode = scene::TBlendingMode::Additive;
    sp->Material.FrontProperties.Diffuse = {1.0f, 0.85f, 0.5f, 1.0f};
  }
  sp->Scale = {0.01f, 0.01f, 0.01f};
  sp->Position = {float(x), 0.0f, float(z)};
  sp->Width = sp->Height = 1.25f;
  sp->Speed = 5.0;
  // The sideways drift is 1 / k for a random k of 1 to 24; a draw of 0 flies straight up
  // (the limit of large k) instead of dividing by zero.
  const int32_t k = ctx.Rng(25);
  const double side = k != 0 ? 1.0 / k : 0.0;
  sp->Target = field.AddNewChild<scene::TGLPolygon>();
  sp->Target->Position = {float(x + 1.0), 0.0f, float(z + 0.05 - side)};
  return sp;
}

void TPlayerClipSpriteExplosion::Destroy() {
  if (Target) Target->Free();
  Target = nullptr;
  Free();
}

void TPlayerClipSpriteExplosion::DoProgress(double deltaTime, double newTime) {
  TGLSprite::DoProgress(deltaTime, newTime);
  if (IsFreedSelf()) return;
  if (LeavingLevel(ctx_)) {
    Destroy();
    return;
  }
  if (!In(ctx_.GameState, {"game", "levelintro", "statistics"})) return;
  const double dt = ctx_.DeltaTime * ctx_.TimeScale;
  if (Target) TurnToPoint(*this, Target->Position, {0.0f, 1.0f, 0.0f});
  Move(float(0.1 * Speed * dt));
  Width -= float(0.4 * Speed * dt);
  Height -= float(0.4 * Speed * dt);
  if (Width <= 0.0f) Destroy();
}

// ---------------------------------------------------------------- light flash

void FlashExplosionLight(GameContext& ctx) {
  scene::TGLLightSource* l = ctx.Aftermath.ExplosionLight;
  if (!l) return;
  l->ConstAttenuation = 0.0001f;
  l->Shining = true;
}

void FadeExplosionLight(GameContext& ctx) {
  scene::TGLLightSource* l = ctx.Aftermath.ExplosionLight;
  if (!l) return;
  if (l->ConstAttenuation < 10.0f) {
    l->ConstAttenuation += float(5.0 * ctx.DeltaTime * ctx.TimeScale);
  } else {
    l->ConstAttenuation = 10.0f;
    l->Shining = false;
  }
}

}  // namespace vlm::combat
