#include "interface/ChooseLevel.h"

#include <algorithm>
#include <exception>
#include <string>

#include "data/FileIo.h"
#include "data/Numbers.h"
#include "interface/MenuFramework.h"
#include "levels/LevelRun.h"
#include "context/GameContext.h"
#include "sound/SoundUnit.h"

namespace vlm::interface {

namespace {

void HideDialog(GameContext& ctx) {
  ctx.Menus.ChooseLevelDummy->Visible = false;
  ctx.Menus.CL_logo->Visible = false;
}

}  // namespace

void CreateChooseLevelLayout(GameContext& ctx) {
  TMenuState& m = ctx.Menus;
  m.ChooseLevelDummy = AddChild<TGLDummyCube>(*ctx.L.MainMenuDummy, "ChooseLevelDummy", false);
  m.ChooseLevelDummy->Position = {0.0f, -0.02f, 0.0f};
  AddMenuSprite(ctx, *m.ChooseLevelDummy, "CL_bg", "CL_bg", 0, 0, 0, kDialogScaleX, kDialogScaleZ);
  m.CL_Back = AddMaterialButton(ctx, *m.ChooseLevelDummy, "CL_Back", "MM_Back", "MM_BackLighted", -1.6f, -0.01f,
                                -3.15f, 0.4f, 1.35f);
  for (int k = 1; k <= 15; ++k) {
    static const std::string names[15] = {"CL_level1",  "CL_level2",  "CL_level3",  "CL_level4",  "CL_level5",
                                          "CL_level6",  "CL_level7",  "CL_level8",  "CL_level9",  "CL_level10",
                                          "CL_level11", "CL_level12", "CL_level13", "CL_level14", "CL_level15"};
    TGLHUDText* t = AddMenuText(ctx, *m.ChooseLevelDummy, names[k - 1].c_str(), "", 40, 170 + 30.0f * (k - 1), 0.25f,
                                0.25f, scene::TTextAlignment::Left, {1.0f, 1.0f, 1.0f, 0.8f});
    t->Visible = false;
    m.CL_level[k - 1] = t;
  }
  m.CL_logo = AddMenuSprite(ctx, *m.ChooseLevelDummy, "CL_logo", "", 0.64f, -0.01f, -1.325f, 1.67f, 3.53f);
  m.CL_logo->AlphaChannel = 0.8f;
  m.CL_logo->Visible = false;
  m.CL_logo->Pickable = false;
}

void LoadMenuSlots(GameContext& ctx) {
  TMenuState& m = ctx.Menus;
  for (size_t k = 0; k < m.Slots.size(); ++k) {
    const data::TSaves& from = m.Saves[k];
    TMenuSlot& s = m.Slots[k];
    s.Visible = from.Visible;
    s.Title = from.Title;
    s.LogoName = from.LogoName;
    s.Level = from.Level;
    s.Saved.Scores = from.Scores;
    s.Saved.Ship = from.Ship;
    s.Saved.TimeShip = from.TimeShip;
    s.Saved.Health = from.Health;
    s.Saved.Armor = from.Armor;
    s.Saved.Lifes = from.Lifes;
    s.Saved.BonusLifeIndex = from.BonusLifeIndex;
    s.Saved.Points = from.Points;
  }
  // No open slot at all (no profile yet, or one whose slots are all shut): the start button
  // still begins a new game of level 1 with three lives.
  if (std::none_of(m.Slots.begin(), m.Slots.end(), [](const TMenuSlot& s) { return s.Visible; })) {
    TMenuSlot& first = m.Slots[0];
    first = TMenuSlot{};
    first.Visible = true;
    first.Title = "level 1";
    first.Level = 1;
  }
  for (size_t k = 0; k < m.Slots.size(); ++k) {
    m.CL_level[k]->Visible = m.Slots[k].Visible;
    m.CL_level[k]->Text = m.Slots[k].Title;
  }
}

void StartSlot(GameContext& ctx, int index) {
  TMenuState& m = ctx.Menus;
  const TMenuSlot& s = m.Slots[size_t(index)];
  int32_t level = s.Level;
  if (level < 1 || level > ctx.Level.LevelCount) level = 1;
  ctx.Level.CurrentLevel = level;
  levels::NewGamePlayer(ctx, s.Saved.Lifes);
  if (!s.Saved.Ship.empty()) {
    try {
      levels::RestorePlayerFromSlot(ctx, s.Saved);
    } catch (const std::exception& e) {
      ctx.Platform().ShowError("Velmora 2", std::string("The save slot's ship cannot be used: ") + e.what());
    }
  }
  HideDialog(ctx);
  levels::StartLevelFromMenu(ctx);
  // The level's music at the option's volume, whatever the menu's fade had reached.
  SetMusicVolume(int(data::RoundHalfEven(ctx.Options.MusicVolume * 100.0)));
}

void StartGameFromMenu(GameContext& ctx) {
  TMenuState& m = ctx.Menus;
  int open = 0;
  for (const TMenuSlot& s : m.Slots) open += s.Visible ? 1 : 0;
  if (open < 2) {
    StartSlot(ctx, 0);
    return;
  }
  m.ChooseLevelDummy->Visible = true;
  ctx.GameState = "chooselevel";
}

void ChooseLevelInput(GameContext& ctx, const scene::TGLBaseSceneObject* picked) {
  TMenuState& m = ctx.Menus;
  if (HoverMaterialButton(ctx, m.CL_Back, picked) && TakePress(ctx)) {
    ResetLook(m.CL_Back);
    HideDialog(ctx);
    ctx.GameState = "mainmenu";
    return;
  }
  m.CL_logo->Visible = false;
  for (size_t k = 0; k < m.CL_level.size(); ++k) {
    if (!m.CL_level[k]->Visible) continue;
    if (!HoverTextButton(ctx, *m.CL_level[k], picked)) continue;
    if (ctx.InterFaceLibrary.LibMaterialByName(m.Slots[k].LogoName)) {
      m.CL_logo->Material.SetLibMaterialName(m.Slots[k].LogoName);
      m.CL_logo->Visible = true;
    }
    if (TakePress(ctx)) {
      StartSlot(ctx, int(k));
      return;
    }
  }
}

}  // namespace vlm::interface
