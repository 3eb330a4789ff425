#include "interface/Hud.h"

#include <cstdio>

#include "combat/Player.h"
#include "interface/PauseMenu.h"
#include "data/Numbers.h"
#include "context/GameContext.h"

namespace vlm::interface {

namespace {

// A screen-space object's place in the 1024 by 768 layout.
struct TextPlace {
  float X, Y, ScaleX, ScaleY;
};
struct SpritePlace {
  float X, Y, Width, Height;
};

constexpr SpritePlace kArmorAndHealth{60.0f, 98.0f, 122.0f, 115.0f};
// The health, armour and rocket numbers are centred on their frames' slots (22 and 24 pixels
// high) with glyphs that fit in them: 0.21 by 0.468 of a 64-pixel cell drew tall thin digits
// hanging over the slots' lower borders.
constexpr TextPlace kPlayerHealthText{66.5f, 54.0f, 0.26f, 0.3f};
constexpr TextPlace kPlayerArmorText{66.5f, 114.0f, 0.26f, 0.3f};
constexpr SpritePlace kRocketsSprite{946.0f, 63.8f, 166.0f, 68.0f};
constexpr TextPlace kRocketsHUDText{930.0f, 49.0f, 0.26f, 0.3f};
constexpr SpritePlace kScoresAndLevel{512.0f, 32.5f, 600.0f, 70.0f};
constexpr TextPlace kLevelText{512.0f, 20.0f, 0.3f, 0.2f};
constexpr TextPlace kPlayerScoresText{512.0f, 42.0f, 0.3f, 0.2f};
constexpr TextPlace kDemoText{512.0f, 96.0f, 0.3f, 0.3f};
constexpr SpritePlace kLifesIndicator{59.0f, 18.0f, 120.0f, 40.0f};
constexpr TextPlace kPlayerLifesText{65.0f, 9.0f, 0.3f, 0.3f};

// The labels are narrower than their 0.3 of a cell, so that the longest ("enemies destroyed:",
// 18 glyphs) ends well before the numbers at 627.
constexpr TextPlace kSPS_EnemiesDestroyed{283.0f, 226.0f, 0.26f, 0.49f};
constexpr TextPlace kSPS_EnemiesDestroyedVal{627.2f, 222.0f, 0.32f, 0.61f};
constexpr TextPlace kSPS_BonusesTaken{283.0f, 300.0f, 0.26f, 0.49f};
constexpr TextPlace kSPS_BonusesTakenVal{627.2f, 296.0f, 0.32f, 0.61f};
constexpr TextPlace kSPS_Accuracy{283.0f, 374.0f, 0.26f, 0.49f};
constexpr TextPlace kSPS_AccuracyVal{627.2f, 370.0f, 0.32f, 0.61f};
constexpr TextPlace kSPS_Scores{508.6f, 448.0f, 0.3f, 0.49f};
constexpr TextPlace kSPS_ScoresVal{508.0f, 488.0f, 0.32f, 0.61f};
constexpr TextPlace kSPS_clickmouseText{508.0f, 570.0f, 0.26f, 0.3f};

template <class T>
T* Add(scene::TGLBaseSceneObject& parent, const char* name, bool visible = true) {
  T* o = parent.AddNewChild<T>();
  o->Name = name;
  o->Visible = visible;
  return o;
}

TGLHUDSprite* AddFrame(GameContext& ctx, scene::TGLBaseSceneObject& parent, const char* name, const char* material) {
  TGLHUDSprite* s = Add<TGLHUDSprite>(parent, name);
  s->Material.SetLibMaterial(&ctx.InterFaceLibrary, material);
  s->Pickable = false;
  return s;
}

TGLHUDText* AddText(GameContext& ctx, scene::TGLBaseSceneObject& parent, const char* name,
                    scene::TTextAlignment alignment, float alpha = 1.0f) {
  TGLHUDText* t = Add<TGLHUDText>(parent, name);
  t->BitmapFont = &ctx.GLBitmapFont1;
  t->Alignment = alignment;
  t->ModulateColor.a = alpha;
  t->Pickable = false;
  return t;
}

void Place(TGLHUDSprite* s, const SpritePlace& p, float rx, float ry) {
  s->Position = {p.X * rx, p.Y * ry, 0.0f};
  s->Width = p.Width * rx;
  s->Height = p.Height * ry;
}

void Place(TGLHUDText* t, const TextPlace& p, float rx, float ry) {
  t->Position = {p.X * rx, p.Y * ry, 0.0f};
  t->Scale = {p.ScaleX * rx, p.ScaleY * ry, 1.0f};
}

// Colour components are drawn clamped to 0..1.
float Clamp01(double v) { return v < 0.0 ? 0.0f : v > 1.0 ? 1.0f : float(v); }

// Writes a decimal into a text without allocating once the text has grown to its size.
void SetNumber(std::string& text, const char* prefix, int64_t value) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%lld", prefix, static_cast<long long>(value));
  text.assign(buf);
}

}  // namespace

void CreateHudLayout(GameContext& ctx) {
  THudState& h = ctx.Hud;
  TLayout& L = ctx.L;
  using A = scene::TTextAlignment;

  scene::TGLBaseSceneObject& hud = *L.InterFaceDummyCube;
  h.ArmorAndHealth = AddFrame(ctx, hud, "ArmorAndHealth", "ArmorAndHealth");
  h.PlayerHealthText = AddText(ctx, hud, "PlayerHealthText", A::Center);
  h.PlayerArmorText = AddText(ctx, hud, "PlayerArmorText", A::Center);
  h.RocketsSprite = AddFrame(ctx, hud, "RocketsSprite", "Rockets");
  h.RocketsHUDText = AddText(ctx, hud, "RocketsHUDText", A::Center, 0.8f);
  h.ScoresAndLevel = AddFrame(ctx, hud, "ScoresAndLevel", "ScoresAndLevel");
  h.LevelText = AddText(ctx, hud, "LevelText", A::Center);
  h.PlayerScoresText = AddText(ctx, hud, "PlayerScoresText", A::Center);
  for (TGLHUDText* t : {h.PlayerHealthText, h.PlayerArmorText, h.RocketsHUDText})
    t->Layout = scene::TTextLayout::Center;
  h.LifesIndicator = AddFrame(ctx, hud, "LifesIndicator", "Lifes");
  h.PlayerLifesText = AddText(ctx, hud, "PlayerLifesText", A::Center);
  h.DemoText = AddText(ctx, hud, "DemoText", A::Center, 0.0f);
  h.DemoText->Text = "demo - press any key to play";
  h.DemoText->ModulateColor = {1.0f, 0.93f, 0.6f, 0.0f};
  h.DemoText->Visible = false;

  scene::TGLBaseSceneObject& stats = *L.StatisticsDummyCube;
  L.StatisticsDummyCube->Position = {0.0f, -1.05f, 0.0f};
  L.StatisticsDummyCube->Visible = false;
  h.GLDummyCube1 = Add<TGLDummyCube>(stats, "GLDummyCube1");
  h.StatisticsPanelSprite = Add<TGLSprite>(*h.GLDummyCube1, "StatisticsPanelSprite");
  h.StatisticsPanelSprite->Material.SetLibMaterial(&ctx.InterFaceLibrary, "StatisticsPanel");
  h.StatisticsPanelSprite->Position = {-0.015f, 0.0f, 0.005f};
  // A unit sprite scaled 1.9 across and 1.75 up, 0.53 in front of the camera: about 690 by 640
  // pixels of a 1024 by 768 window, around the texts.
  h.StatisticsPanelSprite->Scale = {1.75f, 0.1f, 1.9f};
  h.StatisticsPanelSprite->Pickable = false;
  h.SPS_EnemiesDestroyed = AddText(ctx, stats, "SPS_EnemiesDestroyed", A::Left, 0.9f);
  h.SPS_EnemiesDestroyed->Text = "enemies destroyed:";
  h.SPS_EnemiesDestroyedVal = AddText(ctx, stats, "SPS_EnemiesDestroyedVal", A::Left, 0.9f);
  h.SPS_BonusesTaken = AddText(ctx, stats, "SPS_BonusesTaken", A::Left, 0.9f);
  h.SPS_BonusesTaken->Text = "Bonuses collected:";
  h.SPS_BonusesTakenVal = AddText(ctx, stats, "SPS_BonusesTakenVal", A::Left, 0.9f);
  h.SPS_Accuracy = AddText(ctx, stats, "SPS_Accuracy", A::Left, 0.9f);
  h.SPS_Accuracy->Text = "accuracy:";
  h.SPS_AccuracyVal = AddText(ctx, stats, "SPS_AccuracyVal", A::Left, 0.9f);
  h.SPS_Scores = AddText(ctx, stats, "SPS_Scores", A::Center, 0.9f);
  h.SPS_Scores->Text = "Total points";
  h.SPS_ScoresVal = AddText(ctx, stats, "SPS_ScoresVal", A::Center, 0.9f);
  h.SPS_clickmouseText = AddText(ctx, stats, "SPS_clickmouseText", A::Center, 0.9f);
  h.SPS_clickmouseText->Text = "Click mouse to continue";

  // Room for the longest texts, so that the frames write into them without allocating.
  for (TGLHUDText* t : {h.PlayerHealthText, h.PlayerArmorText, h.RocketsHUDText, h.LevelText, h.PlayerScoresText,
                        h.PlayerLifesText, h.SPS_EnemiesDestroyedVal, h.SPS_BonusesTakenVal, h.SPS_AccuracyVal,
                        h.SPS_ScoresVal})
    t->Text.reserve(48);

  PlaceHudLayout(ctx, ctx.ViewportWidth, ctx.ViewportHeight);
}

void PlaceHudLayout(GameContext& ctx, int width, int height) {
  THudState& h = ctx.Hud;
  if (!h.ArmorAndHealth || width <= 0 || height <= 0) return;
  const float rx = float(width) / 1024.0f, ry = float(height) / 768.0f;
  Place(h.ArmorAndHealth, kArmorAndHealth, rx, ry);
  Place(h.PlayerHealthText, kPlayerHealthText, rx, ry);
  Place(h.PlayerArmorText, kPlayerArmorText, rx, ry);
  Place(h.RocketsSprite, kRocketsSprite, rx, ry);
  Place(h.RocketsHUDText, kRocketsHUDText, rx, ry);
  Place(h.ScoresAndLevel, kScoresAndLevel, rx, ry);
  Place(h.LevelText, kLevelText, rx, ry);
  Place(h.PlayerScoresText, kPlayerScoresText, rx, ry);
  Place(h.LifesIndicator, kLifesIndicator, rx, ry);
  Place(h.PlayerLifesText, kPlayerLifesText, rx, ry);
  Place(h.DemoText, kDemoText, rx, ry);
  Place(h.SPS_EnemiesDestroyed, kSPS_EnemiesDestroyed, rx, ry);
  Place(h.SPS_EnemiesDestroyedVal, kSPS_EnemiesDestroyedVal, rx, ry);
  Place(h.SPS_BonusesTaken, kSPS_BonusesTaken, rx, ry);
  Place(h.SPS_BonusesTakenVal, kSPS_BonusesTakenVal, rx, ry);
  Place(h.SPS_Accuracy, kSPS_Accuracy, rx, ry);
  Place(h.SPS_AccuracyVal, kSPS_AccuracyVal, rx, ry);
  Place(h.SPS_Scores, kSPS_Scores, rx, ry);
  Place(h.SPS_ScoresVal, kSPS_ScoresVal, rx, ry);
  Place(h.SPS_clickmouseText, kSPS_clickmouseText, rx, ry);
  h.LayoutWidth = width;
  h.LayoutHeight = height;
}

void SetScoreText(GameContext& ctx) {
  SetNumber(ctx.Hud.PlayerScoresText->Text, "score:", data::RoundHalfEven(ctx.Player.ShownScore));
}

void SetLifesText(GameContext& ctx) { SetNumber(ctx.Hud.PlayerLifesText->Text, "", ctx.Player.Lifes); }

void HudFrame(GameContext& ctx) {
  THudState& h = ctx.Hud;
  data::TPlayer& p = ctx.Player;
  // The pause menu slides out after a resume.
  PauseMenuClosingFrame(ctx);
  // An extra life as soon as the score passes its threshold.
  combat::CheckExtraLife(ctx);
  SetLifesText(ctx);
  // The shown score counts up towards the real one.
  if (double(p.Scores) > p.ShownScore) p.ShownScore += ctx.DeltaTime * 100.0;
  // The texts of the HUD boxes.
  SetScoreText(ctx);
  SetNumber(h.LevelText->Text, "level:", ctx.Level.CurrentLevel);
  SetNumber(h.RocketsHUDText->Text, "", p.Rockets);
  // Health: white when full, red at 10 and below.
  SetNumber(h.PlayerHealthText->Text, "", data::RoundHalfEven(p.Health));
  const float healthGB = p.Health != 0.0 ? Clamp01(1.0 - 10.0 / p.Health) : 0.0f;
  h.PlayerHealthText->ModulateColor.g = healthGB;
  h.PlayerHealthText->ModulateColor.b = healthGB;
  // TODO(ship): the flare of the ship (PlayerLensFlare) takes red 100 / Health and green and
  // blue 1 - 10 / Health once the ship's flare exists (HealthFlareColour gives the colour).
  // Armour: always a number, so the box never looks broken; without armour fitted a grey 0.
  SetNumber(h.PlayerArmorText->Text, "", p.Armor);
  if (p.ArmorLevel != 0) {
    const float armorGB = p.Armor != 0 ? Clamp01(1.0 - 10.0 / double(p.Armor)) : 0.0f;
    h.PlayerArmorText->ModulateColor = {1.0f, armorGB, armorGB, h.PlayerArmorText->ModulateColor.a};
  } else {
    h.PlayerArmorText->ModulateColor = {0.6f, 0.6f, 0.6f, h.PlayerArmorText->ModulateColor.a};
  }
}

scene::TColor HealthFlareColour(double health) {
  if (health == 0.0) return {1.0f, 0.0f, 0.0f, 1.0f};
  return {Clamp01(100.0 / health), Clamp01(1.0 - 10.0 / health), Clamp01(1.0 - 10.0 / health), 1.0f};
}

}  // namespace vlm::interface
