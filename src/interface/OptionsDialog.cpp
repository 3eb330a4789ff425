#include "interface/OptionsDialog.h"

#include <cmath>
#include <exception>
#include <string>

#include "data/Numbers.h"
#include "data/Options.h"
#include "context/Display.h"
#include "interface/Hud.h"
#include "interface/MenuFramework.h"
#include "interface/MessageBox.h"
#include "context/GameContext.h"
#include "sound/SoundUnit.h"

namespace vlm::interface {

namespace {

// The pause menu's dialog stands nearer than the level behind it, scaled down to the same size
// on the screen as the main menu's.
constexpr float kPauseDialogDepth = 1.2f;  // in front of the pause menu's bars (1.28)

struct RowSpec {
  const char* Group;
  const char* Label;
  const char* LabelText;
  float LabelY;
  const char* Minus;
  const char* Plus;
  float X, MinusZ, PlusZ;
  const char* BarPrefix;  // null: no bar
  float BarZ0;
};

void BuildRow(GameContext& ctx, scene::TGLBaseSceneObject& parent, const RowSpec& r, TOptionsRow& row) {
  row.Group = AddChild<TGLDummyCube>(parent, r.Group);
  // Inside the panel's inner frame, and narrow enough to end before the row's minus arrow.
  row.Label = AddMenuText(ctx, *row.Group, r.Label, r.LabelText, 58, r.LabelY, 0.22f, 0.25f,
                          scene::TTextAlignment::Left);
  row.Minus = AddMenuSprite(ctx, *row.Group, r.Minus, "ShopMinus", r.X, -0.01f, r.MinusZ, 0.23f, 0.7f);
  row.Plus = AddMenuSprite(ctx, *row.Group, r.Plus, "ShopPlus", r.X, -0.01f, r.PlusZ, 0.23f, 0.7f);
  row.Minus->AlphaChannel = 0.75f;
  row.Plus->AlphaChannel = 0.75f;
  if (!r.BarPrefix) return;
  for (int k = 1; k <= 20; ++k) {
    const std::string name = r.BarPrefix + std::to_string(k);
    TGLSprite* s = AddChild<TGLSprite>(*row.Group, name.c_str());
    s->Name = name;
    s->Material.SetLibMaterial(&ctx.InterFaceLibrary, "Filled");
    s->Material.SetLibMaterialName("Empty");
    s->AlphaChannel = 0.2f + 0.04f * float(k - 1);
    s->Scale = {0.23f, 1.0f, 0.15f};
    s->Position = {r.X, -0.01f, r.BarZ0 - 0.112f * float(k - 1)};
    row.Bar[size_t(k - 1)] = s;
  }
}

void BuildDialog(GameContext& ctx, scene::TGLBaseSceneObject& parent, TOptionsDialog& d, bool inGame) {
  const char* p = inGame ? "PMOD_" : "OD_";
  auto n = [p](const char* rest) { return std::string(p) + rest; };
  // The names must outlive the call: the scene keeps its own copies.
  const std::string bg = n("bg"), apply = n("Apply"), cancel = n("Cancel"), res = n("resolution");
  d.Bg = AddMenuSprite(ctx, parent, bg.c_str(), "OD_bg", 0, 0, 0, kDialogScaleX, kDialogScaleZ);
  if (inGame) d.Bg->AlphaChannel = 0.7f;
  d.Apply = AddMaterialButton(ctx, parent, apply.c_str(), "MM_Apply", "MM_ApplyLighted", -1.6f, -0.01f, 3.15f, 0.4f,
                              1.35f);
  d.Cancel = AddMaterialButton(ctx, parent, cancel.c_str(), "MM_Cancel", "MM_CancelLighted", -1.6f, -0.01f, -3.15f,
                               0.4f, 1.35f);
  const std::string l[4] = {n("resolutionLabel"), n("MusicVolumeLabel"), n("SoundVolumeLabel"), n("SensivityLabel")};
  const std::string mi[4] = {n("Resolution_minus"), n("Music_minus"), n("Sound_minus"), n("Sensivity_minus")};
  const std::string pl[4] = {n("Resolution_plus"), n("Music_plus"), n("Sound_plus"), n("Sensivity_plus")};
  const char* groups[4] = {inGame ? "PM_ResolutionDummy" : "ResolutionDummy",
                           inGame ? "PM_MusicVolumeDummy" : "MusicVolume",
                           inGame ? "PM_SoundVolumeDummy" : "SoundDummy", inGame ? "PM_SensivityDummy" : "SensivityDummy"};
  const char* bars[4] = {nullptr, inGame ? "ingame_MusicVolumeSpriteMass" : "MusicVolumeSpriteMass",
                         inGame ? "ingame_SoundVolumeSpriteMass" : "SoundVolumeSpriteMass",
                         inGame ? "ingame_SensivityVolumeSpriteMass" : "SensivityVolumeSpriteMass"};
  const RowSpec rows[4] = {
      {groups[0], l[0].c_str(), "resolution:", 170, mi[0].c_str(), pl[0].c_str(), 1.625f, 2.0f, 0.0f, bars[0], 0},
      {groups[1], l[1].c_str(), "music volume:", 220, mi[1].c_str(), pl[1].c_str(), 1.22f, 1.75f, -1.38f, bars[1],
       1.25f},
      {groups[2], l[2].c_str(), "sound volume:", 270, mi[2].c_str(), pl[2].c_str(), 0.815f, 1.75f, -1.38f, bars[2],
       1.25f},
      {groups[3], l[3].c_str(), "ship speed:", 320, mi[3].c_str(), pl[3].c_str(), 0.41f, 2.0f, -1.13f, bars[3], 1.5f},
  };
  BuildRow(ctx, parent, rows[0], d.Resolution);
  BuildRow(ctx, parent, rows[1], d.Music);
  BuildRow(ctx, parent, rows[2], d.Sound);
  BuildRow(ctx, parent, rows[3], d.Sensivity);
  d.ResolutionText = AddMenuText(ctx, *d.Resolution.Group, res.c_str(), "1024x768", 388, 170, 0.25f, 0.25f,
                                 scene::TTextAlignment::Center);
}

// Steps kept on the grid of twentieths, so that a bar lights exactly where its value says.
double OnGrid(double v) { return std::round(v * 20.0) / 20.0; }

void StepDown(double& v, double floor) {
  if (v > floor) v = OnGrid(v - 0.05);
  if (v <= floor) v = floor;
}

void StepUp(double& v) {
  if (v < 1.0) v = OnGrid(v + 0.05);
  if (v >= 1.0) v = 1.0;
}

void ApplyMusicVolume(GameContext& ctx) { SetMusicVolume(int(data::RoundHalfEven(ctx.Options.MusicVolume * 100.0))); }

void PlaySoundSample(GameContext& ctx) {
  static constexpr const char* kSamples[] = {"shoot0a", "shoot0b", "shoot0c"};
  PlaySound(kSamples[ctx.Rng(3)], SoundVolume100(ctx), 0);
}

// The row's arrows and bar: returns whether one of them acted on `value`.
bool RowInput(GameContext& ctx, TOptionsRow& row, const scene::TGLBaseSceneObject* picked, double& value,
              double floor) {
  if (HoverFadeButton(ctx, *row.Minus, picked) && TakePress(ctx)) {
    StepDown(value, floor);
    return true;
  }
  if (HoverFadeButton(ctx, *row.Plus, picked) && TakePress(ctx)) {
    StepUp(value);
    return true;
  }
  for (size_t k = 0; k < row.Bar.size(); ++k) {
    if (row.Bar[k] && HoverBarSegment(ctx, *row.Bar[k], picked) && TakePress(ctx)) {
      value = double(k + 1) / 20.0;
      return true;
    }
  }
  return false;
}

void SetNameTextsVisible(GameContext& ctx, bool visible) {
  ctx.Menus.PlayerNameLabel->Visible = visible;
  ctx.Menus.PlayerNameText->Visible = visible;
  ctx.Menus.PlayerHint1->Visible = visible;
}

void Close(GameContext& ctx, TOptionsDialog& d) {
  const bool inGame = &d == &ctx.Menus.PauseOptions;
  ResetLook(d.Apply);
  ResetLook(d.Cancel);
  d.Dummy->Visible = false;
  if (inGame) {
    ctx.L.PM_ForButtons->Visible = true;
    ctx.L.GLDummyCube2->Visible = true;
    ctx.GameState = "pausemenu";
  } else {
    SetNameTextsVisible(ctx, true);
    ctx.GameState = "mainmenu";
  }
  ctx.LeftClick = false;
}

}  // namespace

const char* ResolutionName(int index) {
  switch (index) {
    case 1: return "640x480";
    case 2: return "800x600";
    default: return "1024x768";
  }
}

void CreateOptionsLayout(GameContext& ctx) {
  TMenuState& m = ctx.Menus;
  m.Options.Dummy = AddChild<TGLDummyCube>(*ctx.L.MainMenuDummy, "OptionsDummy", false);
  m.Options.Dummy->Position = {0.0f, -0.02f, 0.0f};
  BuildDialog(ctx, *m.Options.Dummy, m.Options, false);

  // The pause menu's group is placed and scaled by the pause menu; this dialog undoes that and
  // stands at its own depth before the camera.
  TGLDummyCube& pm = *ctx.L.PM_OptionsDummy;
  const TGLDummyCube& menu = *ctx.L.PauseMenuDummyCube;
  const float shrink = kPauseDialogDepth / kMenuDepth;
  pm.Position = {0.0f, kCameraY + kPauseDialogDepth - menu.Position.y, 0.0f};
  pm.Scale = {shrink / menu.Scale.x, 1.0f, shrink / menu.Scale.z};
  pm.Visible = false;
  m.PauseOptions.Dummy = &pm;
  BuildDialog(ctx, pm, m.PauseOptions, true);
}

void OpenOptions(GameContext& ctx) {
  SetNameTextsVisible(ctx, false);
  ctx.Menus.Options.Dummy->Visible = true;
  ctx.OptionsBackup = ctx.Options;
  ctx.GameState = "options";
  OptionsFrame(ctx, ctx.Menus.Options);
}

void OpenPauseOptions(GameContext& ctx) {
  ctx.L.PM_ForButtons->Visible = false;
  ctx.Menus.PauseOptions.Dummy->Visible = true;
  ctx.L.GLDummyCube2->Visible = false;
  ctx.OptionsBackup = ctx.Options;
  ctx.GameState = "pm_options";
  OptionsFrame(ctx, ctx.Menus.PauseOptions);
}

void OptionsInput(GameContext& ctx, TOptionsDialog& d, const scene::TGLBaseSceneObject* picked) {
  data::TOptions& o = ctx.Options;
  if (RowInput(ctx, d.Sensivity, picked, o.MouseSpeed, 0.05)) return;
  if (RowInput(ctx, d.Sound, picked, o.SoundVolume, 0.0)) {
    PlaySoundSample(ctx);
    return;
  }
  if (RowInput(ctx, d.Music, picked, o.MusicVolume, 0.0)) {
    ApplyMusicVolume(ctx);
    return;
  }
  if (HoverFadeButton(ctx, *d.Resolution.Minus, picked) && TakePress(ctx)) {
    if (o.Resolution > data::kMinResolution) --o.Resolution;
    return;
  }
  if (HoverFadeButton(ctx, *d.Resolution.Plus, picked) && TakePress(ctx)) {
    if (o.Resolution < data::kMaxResolution) ++o.Resolution;
    return;
  }
  if (HoverMaterialButton(ctx, d.Apply, picked) && TakePress(ctx)) {
    SetNameTextsVisible(ctx, true);  // in play they stay hidden with the main menu
    Close(ctx, d);
    // The mode is set again even when it did not change; a mode the display refuses leaves the
    // resolution as it was, and the file is saved after, so it never names a refused mode.
    ChangeDisplayMode(ctx, o.Resolution);
    try {
      data::SaveOptions(*ctx.Data, o, ctx.Player);
    } catch (const std::exception& e) {
      ctx.Platform().ShowError("Velmora 2", e.what());
    }
    return;
  }
  if (HoverMaterialButton(ctx, d.Cancel, picked) && TakePress(ctx)) {
    o = ctx.OptionsBackup;
    ApplyMusicVolume(ctx);
    Close(ctx, d);
  }
}

void OptionsFrame(GameContext& ctx, TOptionsDialog& d) {
  const data::TOptions& o = ctx.Options;
  const char* name = ResolutionName(o.Resolution);
  if (d.ResolutionText->Text != name) d.ResolutionText->Text = name;
  auto fill = [](TOptionsRow& row, double value) {
    for (size_t k = 0; k < row.Bar.size(); ++k)
      if (row.Bar[k]) row.Bar[k]->Material.SetLibMaterialName(value * 20.0 >= double(k + 1) ? "Filled" : "Empty");
  };
  fill(d.Music, o.MusicVolume);
  fill(d.Sound, o.SoundVolume);
  fill(d.Sensivity, o.MouseSpeed);
}

}  // namespace vlm::interface
