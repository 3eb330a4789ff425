#include "interface/TopRanksScreen.h"

#include <cmath>
#include <exception>
#include <string>

#include "context/GameStates.h"
#include "data/Numbers.h"
#include "data/TopRanks.h"
#include "interface/MenuFramework.h"
#include "scene/BitmapFont.h"
#include "context/GameContext.h"

namespace vlm::interface {

namespace {

void ShowNameEntry(GameContext& ctx, bool visible) {
  ctx.L.TRD_EnterNameDummy->Visible = visible;
  // The rows are screen texts drawn over every panel; they give way to the name entry's box.
  ctx.Menus.RankNames[0]->Parent()->Visible = !visible;
  ctx.Menus.Edit1Visible = visible;
}

}  // namespace

void CreateTopRanksLayout(GameContext& ctx) {
  TMenuState& m = ctx.Menus;
  m.TopRanksDummy = AddChild<TGLDummyCube>(*ctx.L.MainMenuDummy, "TopRanksDummy", false);
  m.TopRanksDummy->Position = {0.0f, -0.02f, 0.0f};
  TGLDummyCube& d = *m.TopRanksDummy;
  AddMenuSprite(ctx, d, "TRD_bg", "OD_bg", 0, 0, 0, kDialogScaleX, kDialogScaleZ);
  AddMenuText(ctx, d, "TRD_Title", "name", 360, 160, 0.3f, 0.3f, scene::TTextAlignment::Center);
  AddMenuText(ctx, d, "TRD_Score", "score", 664, 160, 0.3f, 0.3f, scene::TTextAlignment::Center);
  m.TRD_Back = AddMaterialButton(ctx, d, "TRD_Back", "MM_Back", "MM_BackLighted", -1.6f, -0.01f, -3.15f, 0.4f, 1.35f);
  TGLDummyCube* rows = AddChild<TGLDummyCube>(d, "TRD_ForDynamicallyHudText");
  for (int k = 1; k <= 10; ++k) {
    const float alpha = 0.9f - 0.05f * float(k);
    const std::string name = "TopRanksHudMassNames" + std::to_string(k);
    const std::string score = "TopRanksHudMassScores" + std::to_string(k);
    m.RankNames[size_t(k - 1)] = AddMenuText(ctx, *rows, name.c_str(), "player" + std::to_string(k), 360,
                                             170 + 25.0f * float(k), 0.25f, 0.25f, scene::TTextAlignment::Center,
                                             {1.0f, 1.0f, 1.0f, alpha});
    m.RankScores[size_t(k - 1)] =
        AddMenuText(ctx, *rows, score.c_str(), std::to_string(100000 - 10000 * k), 664, 170 + 25.0f * float(k),
                    0.25f, 0.25f, scene::TTextAlignment::Center, {1.0f, 1.0f, 1.0f, alpha});
  }
  // The name entry, over the table.
  TGLDummyCube* entry = AddChild<TGLDummyCube>(d, "TRD_EnterNameDummy", false);
  ctx.L.TRD_EnterNameDummy = entry;
  AddMenuSprite(ctx, *entry, "TRD_EnterNameSprite", "OD_bg", 0.0f, -0.02f, 0.0f, 1.5f, 4.0f);
  AddMenuText(ctx, *entry, "TRD_EnterNameLabel", "enter your name:", 512, 305, 0.3f, 0.3f,
              scene::TTextAlignment::Center);
  m.TRD_EnterName = AddMenuText(ctx, *entry, "TRD_EnterName", "", 512, 350, 0.3f, 0.3f,
                                scene::TTextAlignment::Center, {1.0f, 0.949f, 0.875f, 1.0f});
  m.TRD_EnterNameFx = AddMenuText(ctx, *entry, "TRD_EnterNameFx", "-", 512, 362, 1.0f, 0.3f,
                                  scene::TTextAlignment::Center);
  m.TRD_Apply = AddMaterialButton(ctx, *entry, "TRD_Apply", "MM_Apply", "MM_ApplyLighted", -0.48f, -0.025f, 0.0f,
                                  0.4f, 1.35f);
  m.Edit1.reserve(data::kTopRankNameLength);
}

void LoadTopRanksAtStartup(GameContext& ctx) {
  data::TTopRanksLoad load = data::LoadTopRanks(*ctx.Data);
  ctx.Menus.TopRanks = load.table;
  if (!load.message.empty())
    ctx.Menus.PendingMessage += (ctx.Menus.PendingMessage.empty() ? "" : "\r\r") + load.message;
  data::SortTopRanks(ctx.Menus.TopRanks);
  ShowTopRanks(ctx);
}

void ShowTopRanks(GameContext& ctx) {
  TMenuState& m = ctx.Menus;
  for (size_t k = 0; k < m.TopRanks.size(); ++k) {
    m.RankNames[k]->Text = m.TopRanks[k].name;
    m.RankScores[k]->Text = data::IntToStr(m.TopRanks[k].score);
  }
}

void OpenTopRanks(GameContext& ctx) {
  ShowNameEntry(ctx, false);
  ctx.Menus.TopRanksDummy->Visible = true;
  ctx.Menus.Edit1.clear();
  ctx.GameState = "topranks";
}

}  // namespace vlm::interface

void vlm::ShowTopRanksAfterGame(GameContext& ctx) {
  using namespace vlm::interface;
  ReturnToMainMenu(ctx);
  ctx.L.LoadingHintsText->Visible = false;
  ctx.Menus.TopRanksDummy->Visible = true;
  ctx.Player.Scores += int64_t(ctx.Player.Lifes) * kLifeBonus;
  if (data::QualifiesForTopRanks(ctx.Menus.TopRanks, ctx.Player.Scores)) {
    ctx.Menus.Edit1.clear();
    TypeName(ctx, ctx.Player.Name);
    ShowNameEntry(ctx, true);
  } else {
    ShowNameEntry(ctx, false);
  }
  ctx.GameState = "topranks";
}

namespace vlm::interface {

void CommitTopRank(GameContext& ctx) {
  TMenuState& m = ctx.Menus;
  ShowNameEntry(ctx, false);
  if (data::InsertTopRank(m.TopRanks, m.Edit1, ctx.Player.Scores)) {
    try {
      data::SaveTopRanks(*ctx.Data, m.TopRanks);
    } catch (const std::exception& e) {
      ctx.Platform().ShowError("Velmora 2", e.what());
    }
    ShowTopRanks(ctx);
  }
  m.Edit1.clear();
}

void TypeName(GameContext& ctx, std::string_view chars) {
  std::string& name = ctx.Menus.Edit1;
  for (char c : chars) {
    if (name.size() >= data::kTopRankNameLength) break;
    if (scene::TGLBitmapFont::GlyphIndex(c) < 0 || c == '\r' || c == '\n') continue;
    name.push_back(c);
  }
}

void EraseNameChar(GameContext& ctx) {
  if (!ctx.Menus.Edit1.empty()) ctx.Menus.Edit1.pop_back();
}

void TopRanksInput(GameContext& ctx, const scene::TGLBaseSceneObject* picked) {
  TMenuState& m = ctx.Menus;
  if (ctx.L.TRD_EnterNameDummy->Visible) {
    if (HoverMaterialButton(ctx, m.TRD_Apply, picked) && TakePress(ctx)) {
      ResetLook(m.TRD_Apply);
      CommitTopRank(ctx);
    }
    return;
  }
  if (HoverMaterialButton(ctx, m.TRD_Back, picked) && TakePress(ctx)) {
    ResetLook(m.TRD_Back);
    m.TopRanksDummy->Visible = false;
    m.Edit1Visible = false;
    ctx.GameState = "mainmenu";
  }
}

void TopRanksFrame(GameContext& ctx, double frameTime) {
  TMenuState& m = ctx.Menus;
  if (m.TRD_EnterName->Text != m.Edit1) m.TRD_EnterName->Text = m.Edit1;
  m.TRD_EnterNameFx->ModulateColor.a = float(std::sin(frameTime * 8.0));
  const float rx = float(m.LayoutWidth) / 1024.0f;
  m.TRD_EnterNameFx->Scale.x = (0.3f + 0.25f * float(m.Edit1.size())) * rx;
}

}  // namespace vlm::interface
