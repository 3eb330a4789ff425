#pragma once
// The main menu, its dialogs and the message box: their named objects, the invisible name
// input, the save slots the choose-level screen lists and the top-ranks table. One record,
// held by the game context (ctx.Menus).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data/Profiles.h"
#include "data/TopRanks.h"
#include "context/SlotRestore.h"
#include "scene/Objects.h"

namespace vlm::interface {

using scene::TGLDummyCube;
using scene::TGLHUDText;
using scene::TGLSprite;

// An image button: its sprite and the two library materials of its looks.
struct TMaterialButton {
  TGLSprite* Sprite = nullptr;
  const char* Normal = "";
  const char* Lighted = "";
};

// A HUD text of the menus with where it stands at 1024 by 768; the menus are laid out from
// these for the window's size.
struct TPlacedText {
  TGLHUDText* Text = nullptr;
  float X = 0, Y = 0, ScaleX = 1, ScaleY = 1;
};

// One options row's arrows and, for the volumes and the ship speed, its bar of 20 segments.
struct TOptionsRow {
  TGLDummyCube* Group = nullptr;
  TGLHUDText* Label = nullptr;
  TGLSprite* Minus = nullptr;
  TGLSprite* Plus = nullptr;
  std::array<TGLSprite*, 20> Bar{};
};

// The options dialog: the main menu's (prefix "OD_") or the pause menu's copy ("PMOD_").
struct TOptionsDialog {
  TGLDummyCube* Dummy = nullptr;
  TGLSprite* Bg = nullptr;
  TGLHUDText* ResolutionText = nullptr;
  TOptionsRow Resolution, Music, Sound, Sensivity;
  TMaterialButton Apply, Cancel;
};

// A level save slot as the choose-level screen shows it.
struct TMenuSlot {
  bool Visible = false;
  std::string Title;
  std::string LogoName;
  int32_t Level = 1;
  // The player as the slot keeps them; an empty slot starts a new game with three lives.
  levels::TSlotRestore Saved = [] {
    levels::TSlotRestore fresh;
    fresh.Lifes = 3;
    return fresh;
  }();
};

struct TCredits {
  std::string Title;
  std::string Text;
  int32_t Hold = 40;       // 25 ms ticks at full strength
  bool FadingIn = true;
};

struct TMenuState {
  // ---- main menu ----
  TGLDummyCube* MM_bgDummy = nullptr;
  scene::TGLSkyBox* MM_SkyBox = nullptr;
  TGLSprite* MM_logotipSprite = nullptr;
  TGLSprite* MM_up = nullptr;
  TGLSprite* MM_down = nullptr;
  TGLDummyCube* MM_buttons = nullptr;
  TMaterialButton MM_StartGame, MM_TopRanks, MM_Options, MM_Help, MM_Credits, MM_Exit;
  TGLHUDText* PlayerNameLabel = nullptr;
  TGLHUDText* PlayerNameText = nullptr;
  TGLHUDText* PlayerHint1 = nullptr;
  TGLHUDText* VersionText = nullptr;

  // ---- choose level ----
  TGLDummyCube* ChooseLevelDummy = nullptr;
  TMaterialButton CL_Back;
  std::array<TGLHUDText*, 15> CL_level{};
  TGLSprite* CL_logo = nullptr;
  std::array<TMenuSlot, 15> Slots;

  // ---- options ----
  TOptionsDialog Options;        // OD_
  TOptionsDialog PauseOptions;   // PMOD_, under PM_OptionsDummy

  // ---- help ----
  TGLDummyCube* HelpDummy = nullptr;
  TGLSprite* HD_Page = nullptr;
  TGLHUDText* HD_PageText = nullptr;
  TGLSprite* HD_Left = nullptr;
  TGLSprite* HD_Right = nullptr;
  TMaterialButton HD_Back;
  std::array<TGLDummyCube*, 3> HD_PageDummy{};
  int32_t HelpPage = 1;

  // ---- credits ----
  TGLDummyCube* CreditsDummy = nullptr;
  TGLHUDText* CD_Title = nullptr;
  TGLHUDText* CD_Text = nullptr;
  TMaterialButton CD_Back;
  std::vector<TCredits> Credits;  // 25 entries, filled at start-up
  size_t CreditsIndex = 1;        // 1-based
  int32_t CreditsHold = 0;
  int32_t CreditsSteps = 0;       // the texts' strength in twentieths

  // ---- top ranks ----
  TGLDummyCube* TopRanksDummy = nullptr;
  TMaterialButton TRD_Back, TRD_Apply;
  std::array<TGLHUDText*, 10> RankNames{}, RankScores{};
  TGLHUDText* TRD_EnterName = nullptr;
  TGLHUDText* TRD_EnterNameFx = nullptr;
  data::TTopRanksTable TopRanks;

  // ---- players ----
  data::TProfiles Profiles;  // the profile list, the selected one, the scroll offset
  data::TSaveSlots Saves;    // the current profile's fifteen level save slots
  int32_t SavedSelection = 0;  // the selection when the change-player dialog opened (Cancel)
  TGLDummyCube* ChangePlayerDummy = nullptr;
  TGLDummyCube* CPD_EnterName = nullptr;  // the name entry box
  TGLHUDText* CPD_Title = nullptr;
  TGLHUDText* CPD_newPlayer = nullptr;
  std::array<TGLHUDText*, data::kProfileRows> ProfileRows{};  // "ChangePlayerHudMass1" to 9
  TGLSprite* CPD_mark = nullptr;
  TMaterialButton CPD_ok, CPD_Delete, CPD_Cancel;
  TGLSprite* CPD_ScrollUp = nullptr;
  TGLSprite* CPD_ScrollDown = nullptr;
  TGLHUDText* CPDEN_EnterName = nullptr;
  TGLHUDText* CPDEN_EnterNameFx = nullptr;
  TMaterialButton CPDEN_Apply, CPDEN_Cancel;

  // ---- message box ----
  TGLSprite* MD_bg = nullptr;
  TGLHUDText* MD_Text = nullptr;
  TMaterialButton MD_Ok, MD_Cancel;

  // ---- the invisible single-line name input ----
  std::string Edit1;
  bool Edit1Visible = false;

  // A message for the player from start-up, shown once the main menu is up.
  std::string PendingMessage;

  // Every menu text with its place at 1024 by 768.
  std::vector<TPlacedText> Placed;
  int32_t LayoutWidth = 1024, LayoutHeight = 768;
};

}  // namespace vlm::interface
