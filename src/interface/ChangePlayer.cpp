#include "interface/ChangePlayer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "data/Errors.h"
#include "data/IniText.h"
#include "data/Profiles.h"
#include "interface/ChooseLevel.h"
#include "interface/MenuFramework.h"
#include "interface/MessageBox.h"
#include "context/GameContext.h"

namespace vlm::interface {

namespace {

// The rows: row k's text stands with its top at y = kRowTop + kRowStep * k of a 1024 by 768
// window, 16 pixels high at its scale.
constexpr float kRowTop = 240.0f, kRowStep = 25.0f, kRowHeight = 16.0f;
// One unit of the layout is this many pixels of a 1024 by 768 window (MenuFramework.h), so the
// mark behind row k stands at the row's middle.
constexpr float kUnitPixels = 122.0f;
constexpr float kMarkWidthPerChar = 0.132f;
constexpr float kUnderlinePerChar = 0.85f;
constexpr size_t kShownNameLength = data::kProfileNameLength;

float MarkX(int row) { return (384.0f - (kRowTop + kRowStep * float(row) + kRowHeight * 0.5f)) / kUnitPixels; }

data::TProfiles& Profiles(GameContext& ctx) { return ctx.Menus.Profiles; }

// A message for the player in the box, several joined by an empty line.
void Tell(GameContext& ctx, const std::vector<std::string>& messages) {
  if (messages.empty()) return;
  std::string text;
  for (const std::string& m : messages) text += (text.empty() ? "" : "\r\r") + m;
  ShowMessageBoxButtons(ctx, text, false);
}

// The list from the folder; the nine rows are emptied for the new list to fill.
std::vector<std::string> Rescan(GameContext& ctx) {
  std::vector<std::string> messages = data::ScanProfiles(*ctx.Data, Profiles(ctx), ctx.Player);
  for (TGLHUDText* row : ctx.Menus.ProfileRows) row->Text.clear();
  return messages;
}

// The current profile's slots into the choose-level screen; a profile that cannot be read is
// reported and its slots stay as they were.
void LoadCurrent(GameContext& ctx, std::vector<std::string>& messages) {
  if (!ctx.Player.FileName.empty()) {
    try {
      data::LoadCurrentProfile(*ctx.Data, ctx.Menus.Saves, ctx.Player);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "velmora2: the profile %s cannot be loaded: %s\n", ctx.Player.FileName.c_str(), e.what());
      messages.push_back("the profile file\r" + ctx.Player.FileName + "\rcannot be read.");
    }
  }
  LoadMenuSlots(ctx);
}

// "PLAYER" "FileName" into game.ini; a folder that cannot be written is reported once.
void Remember(GameContext& ctx, std::vector<std::string>& messages) {
  try {
    data::RememberCurrentProfile(*ctx.Data, ctx.Player.FileName);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velmora2: %s\n", e.what());
    if (!Profiles(ctx).WriteFailureReported) {
      Profiles(ctx).WriteFailureReported = true;
      messages.push_back("game.ini cannot be\rwritten: the current\rplayer is not kept.");
    }
  }
}

void ShowNameBox(GameContext& ctx, bool visible) {
  ctx.Menus.CPD_EnterName->Visible = visible;
  ctx.Menus.Edit1.clear();
  ctx.Menus.Edit1Visible = visible;
}

void CloseDialog(GameContext& ctx) {
  TMenuState& m = ctx.Menus;
  for (const TMaterialButton* b : {&m.CPD_ok, &m.CPD_Delete, &m.CPD_Cancel, &m.CPDEN_Apply, &m.CPDEN_Cancel})
    ResetLook(*b);
  m.ChangePlayerDummy->Visible = false;
  ctx.GameState = "mainmenu";
  Profiles(ctx).Scroll = 0;
}

// Ok: the selected profile becomes the current one.
void TakeSelected(GameContext& ctx) {
  data::TProfiles& p = Profiles(ctx);
  if (p.Selected < 1 || p.Selected > int32_t(p.List.size())) return;
  const std::string previousFile = ctx.Player.FileName, previousName = ctx.Player.Name;
  ctx.Player.FileName = p.List[size_t(p.Selected - 1)].FileName;
  std::vector<std::string> messages;
  try {
    data::LoadCurrentProfile(*ctx.Data, ctx.Menus.Saves, ctx.Player);
  } catch (const std::exception& e) {
    // Damaged since the list was made: it leaves the list, the player stays who he was.
    std::fprintf(stderr, "velmora2: the profile %s cannot be loaded: %s\n", ctx.Player.FileName.c_str(), e.what());
    ctx.Player.FileName = previousFile;
    ctx.Player.Name = previousName;
    for (const std::string& m : Rescan(ctx)) messages.push_back(m);
    if (messages.empty()) messages.push_back("that profile cannot be read.");
    data::ScrollToSelected(p);
    Tell(ctx, messages);
    return;
  }
  LoadMenuSlots(ctx);
  Remember(ctx, messages);
  CloseDialog(ctx);
  Tell(ctx, messages);
}

void SetNameButtonLook(TMenuState& m, bool hovered) {
  const float a = hovered ? 1.0f : 0.75f;
  m.PlayerNameLabel->ModulateColor.a = a;
  m.PlayerNameText->ModulateColor.a = a;
  m.PlayerHint1->ModulateColor.b = a;
}

}  // namespace

void CreateChangePlayerLayout(GameContext& ctx) {
  TMenuState& m = ctx.Menus;
  m.ChangePlayerDummy = AddChild<TGLDummyCube>(*ctx.L.MainMenuDummy, "ChangePlayerDummy", false);
  TGLDummyCube& d = *m.ChangePlayerDummy;
  // The panel a little taller than its rows, so the title stands inside its frame.
  AddMenuSprite(ctx, d, "CPD_bg", "OD_bg", 0.1f, -0.02f, 0.0f, 3.3f, 4.0f);
  m.CPD_Title = AddMenuText(ctx, d, "CPD_Title", "choose player", 512, 205, 0.3f, 0.3f, scene::TTextAlignment::Center);
  m.CPD_newPlayer = AddMenuText(ctx, d, "CPD_newPlayer", "[new player]", 512, 240, 0.25f, 0.2f,
                                scene::TTextAlignment::Center, {0.769f, 1.0f, 0.882f, 0.75f});
  TGLDummyCube* rows = AddChild<TGLDummyCube>(d, "CPD_ForDynamicallyHudText");
  for (int k = 1; k <= data::kProfileRows; ++k) {
    static const std::string names[data::kProfileRows] = {
        "ChangePlayerHudMass1", "ChangePlayerHudMass2", "ChangePlayerHudMass3",
        "ChangePlayerHudMass4", "ChangePlayerHudMass5", "ChangePlayerHudMass6",
        "ChangePlayerHudMass7", "ChangePlayerHudMass8", "ChangePlayerHudMass9"};
    m.ProfileRows[size_t(k - 1)] = AddMenuText(ctx, *rows, names[k - 1].c_str(), "", 512, kRowTop + kRowStep * float(k),
                                               0.25f, 0.25f, scene::TTextAlignment::Center,
                                               {1.0f, 0.949f, 0.875f, 0.75f});
  }
  m.CPD_mark = AddMenuSprite(ctx, d, "CPD_mark", "CPD_mark", MarkX(1), -0.02525f, 0.0f, 0.18f, 2.1f);
  m.CPD_mark->Pickable = false;
  m.CPD_mark->Visible = false;
  m.CPD_ok = AddMaterialButton(ctx, d, "CPD_ok", "MM_Ok", "MM_OkLighted", -1.22f, -0.025f, 0.0f, 0.4f, 1.35f);
  m.CPD_Delete =
      AddMaterialButton(ctx, d, "CPD_Delete", "MM_Delete", "MM_DeleteLighted", -1.22f, -0.025f, 1.32f, 0.32f, 1.0125f);
  m.CPD_Cancel =
      AddMaterialButton(ctx, d, "CPD_Cancel", "MM_Cancel", "MM_CancelLighted", -1.22f, -0.025f, -1.32f, 0.32f, 1.0125f);
  // The arrows stand turned a quarter: "plus" points up, "minus" down.
  m.CPD_ScrollUp = AddMenuSprite(ctx, d, "CPD_ScrollUp", "ShopPlus", 0.75f, -0.025f, -1.25f, 0.45f, 0.25f);
  m.CPD_ScrollDown = AddMenuSprite(ctx, d, "CPD_ScrollDown", "ShopMinus", -0.75f, -0.025f, -1.25f, 0.45f, 0.25f);
  for (TGLSprite* arrow : {m.CPD_ScrollUp, m.CPD_ScrollDown}) {
    arrow->Rotation = 90.0f;
    arrow->AlphaChannel = 0.75f;
  }

  m.CPD_EnterName = AddChild<TGLDummyCube>(d, "CPD_EnterName", false);
  TGLDummyCube& box = *m.CPD_EnterName;
  AddMenuSprite(ctx, box, "CPDEN_bg", "OD_bg", 0.0f, -0.03f, 0.0f, 1.5f, 4.5f);
  AddMenuText(ctx, box, "CPDEN_EnterNameLabel", "enter your name:", 512, 305, 0.3f, 0.3f,
              scene::TTextAlignment::Center);
  m.CPDEN_EnterName = AddMenuText(ctx, box, "CPDEN_EnterName", "", 512, 380, 0.25f, 0.25f,
                                  scene::TTextAlignment::Center, {1.0f, 0.949f, 0.875f, 1.0f});
  m.CPDEN_EnterNameFx =
      AddMenuText(ctx, box, "CPDEN_EnterNameFx", "-", 512, 392, 1.0f, 0.3f, scene::TTextAlignment::Center);
  m.CPDEN_Apply =
      AddMaterialButton(ctx, box, "CPDEN_Apply", "MM_Apply", "MM_ApplyLighted", -0.5f, -0.035f, 1.63f, 0.3f, 1.0f);
  m.CPDEN_Cancel =
      AddMaterialButton(ctx, box, "CPDEN_Cancel", "MM_Cancel", "MM_CancelLighted", -0.5f, -0.035f, -1.63f, 0.3f, 1.0f);
}

void LoadChangePlayerTextures(GameContext& ctx) {
  scene::TGLLibMaterial* m = ctx.InterFaceLibrary.LibMaterialByName("CPD_mark");
  if (!m) m = ctx.InterFaceLibrary.AddTextureMaterial("CPD_mark");
  // A band of light: its black is drawn away.
  m->Material.BlendingMode = scene::TBlendingMode::Additive;
  // Dimmed, so the name on it stays the brightest thing in its row.
  m->Material.FrontProperties.Diffuse = {0.6f, 0.6f, 0.6f, 0.6f};
  m->Material.Texture.MinFilter = scene::TGLMinFilter::Linear;
  m->Material.Texture.MagFilter = scene::TGLMagFilter::Linear;
  m->Material.Texture.Disabled = false;
  try {
    ctx.InterFaceLibrary.LoadTexture("CPD_mark", "Data\\Textures\\InterFace\\main\\Mark.jpg");
  } catch (const std::exception& e) {
    ctx.Platform().ShowError("Velmora 2", e.what());
  }
}

void LoadProfilesAtStartup(GameContext& ctx) {
  data::TProfiles& p = Profiles(ctx);
  std::vector<std::string> messages = Rescan(ctx);
  if (ctx.Player.FileName.empty() && !p.List.empty()) {
    // "game.ini" names no profile that is there (a first start after a copy, a deleted file):
    // the first listed one plays rather than a game without slots.
    data::SelectFirstProfile(p, ctx.Player);
    Remember(ctx, messages);
  }
  LoadCurrent(ctx, messages);
  data::ScrollToSelected(p);
  for (const std::string& m : messages) {
    std::string& pending = ctx.Menus.PendingMessage;
    pending += (pending.empty() ? "" : "\r\r") + m;
  }
}

void ReloadCurrentProfile(GameContext& ctx) {
  std::vector<std::string> messages;
  LoadCurrent(ctx, messages);
  Tell(ctx, messages);
}

bool NoProfileYet(const GameContext& ctx) { return ctx.Menus.Profiles.List.empty(); }

void OpenChangePlayer(GameContext& ctx) {
  TMenuState& m = ctx.Menus;
  data::TProfiles& p = Profiles(ctx);
  m.SavedSelection = p.Selected;
  p.Scroll = 0;
  data::ScrollToSelected(p);
  ShowNameBox(ctx, false);
  m.ChangePlayerDummy->Visible = true;
  ctx.GameState = "changeplayer";
}

void OpenNameEntry(GameContext& ctx, bool atStartup) {
  ShowNameBox(ctx, true);
  if (atStartup) {
    ctx.Menus.ChangePlayerDummy->Visible = true;
    ctx.GameState = "changeplayer";
  }
}

void ApplyNewName(GameContext& ctx) {
  TMenuState& m = ctx.Menus;
  if (m.Edit1.empty()) {
    ShowMessageBoxButtons(ctx, "enter name first!", false);
    return;
  }
  const std::time_t now = std::time(nullptr);
  std::tm when{};
  localtime_r(&now, &when);
  data::TProfileCreation made = data::CreateProfile(*ctx.Data, Profiles(ctx), ctx.Player, m.Saves, m.Edit1, when);
  for (TGLHUDText* row : m.ProfileRows) row->Text.clear();
  LoadMenuSlots(ctx);
  ShowNameBox(ctx, false);
  CloseDialog(ctx);
  Tell(ctx, made.Messages);
}

void DeleteSelectedProfile(GameContext& ctx) {
  TMenuState& m = ctx.Menus;
  data::TProfiles& p = Profiles(ctx);
  if (m.CPD_EnterName->Visible || p.List.size() < 2) return;
  if (p.Selected < 1 || p.Selected > int32_t(p.List.size())) return;
  std::vector<std::string> messages;
  const std::string file = p.List[size_t(p.Selected - 1)].FileName;
  try {
    data::DeleteProfile(*ctx.Data, file);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velmora2: %s\n", e.what());
    messages.push_back("the profile file\r" + file + "\rcannot be deleted.");
  }
  for (const std::string& message : Rescan(ctx)) messages.push_back(message);
  if (ctx.Player.FileName.empty()) {
    // The current profile went: the first listed one takes its place.
    data::SelectFirstProfile(p, ctx.Player);
    LoadCurrent(ctx, messages);
    Remember(ctx, messages);
  }
  data::ScrollToSelected(p);
  Tell(ctx, messages);
}

void ChangePlayerEscape(GameContext& ctx) {
  TMenuState& m = ctx.Menus;
  if (Profiles(ctx).List.empty()) return;  // a first profile must be made
  if (m.CPD_EnterName->Visible) {
    ShowNameBox(ctx, false);
    return;
  }
  Profiles(ctx).Selected = m.SavedSelection;
  CloseDialog(ctx);
}

void ChangePlayerInput(GameContext& ctx, const scene::TGLBaseSceneObject* picked) {
  TMenuState& m = ctx.Menus;
  data::TProfiles& p = Profiles(ctx);
  const bool any = !p.List.empty();
  if (m.CPD_EnterName->Visible) {
    if (HoverMaterialButton(ctx, m.CPDEN_Apply, picked) && TakePress(ctx)) {
      ResetLook(m.CPDEN_Apply);
      ApplyNewName(ctx);
      return;
    }
    if (HoverMaterialButton(ctx, m.CPDEN_Cancel, picked) && TakePress(ctx)) {
      if (any) {
        ResetLook(m.CPDEN_Cancel);
        ShowNameBox(ctx, false);
      }
    }
    return;
  }
  if (HoverMaterialButton(ctx, m.CPD_ok, picked) && TakePress(ctx)) {
    if (any) TakeSelected(ctx);
    return;
  }
  if (HoverMaterialButton(ctx, m.CPD_Cancel, picked) && TakePress(ctx)) {
    if (any) {
      p.Selected = m.SavedSelection;
      CloseDialog(ctx);
    }
    return;
  }
  if (HoverMaterialButton(ctx, m.CPD_Delete, picked) && TakePress(ctx)) {
    if (p.List.size() > 1)
      ShowMessageBox(ctx, "are you sure?");
    else if (any)
      ShowMessageBoxButtons(ctx, "You can not delete the\rprofile of the last user!", false);
    return;
  }
  if (HoverTextButton(ctx, *m.CPD_newPlayer, picked) && TakePress(ctx)) {
    OpenNameEntry(ctx, false);
    return;
  }
  for (int k = 1; k <= data::kProfileRows; ++k) {
    if (!HoverTextButton(ctx, *m.ProfileRows[size_t(k - 1)], picked)) continue;
    // A row below the end of the list stands for no profile and takes no press.
    if (p.Scroll + k <= int32_t(p.List.size()) && TakePress(ctx)) {
      p.Selected = p.Scroll + k;
      return;
    }
  }
  if (HoverFadeButton(ctx, *m.CPD_ScrollUp, picked) && TakePress(ctx)) {
    if (p.Scroll > 0) --p.Scroll;
    return;
  }
  if (HoverFadeButton(ctx, *m.CPD_ScrollDown, picked) && TakePress(ctx)) {
    if (p.Scroll < int32_t(p.List.size()) - data::kProfileRows) ++p.Scroll;
    return;
  }
}

void ChangePlayerFrame(GameContext& ctx, double frameTime) {
  TMenuState& m = ctx.Menus;
  data::TProfiles& p = Profiles(ctx);
  // 1. The rows.
  for (int k = 1; k <= data::kProfileRows; ++k) {
    std::string& text = m.ProfileRows[size_t(k - 1)]->Text;
    const int32_t index = p.Scroll + k;
    const std::string_view name = index <= int32_t(p.List.size())
                                      ? std::string_view(p.List[size_t(index - 1)].Name).substr(0, kShownNameLength)
                                      : std::string_view();
    if (text != name) text.assign(name);
  }
  // The rows and the mark are screen texts drawn over every panel: they give way to the name
  // box and to a message over the list.
  const bool listShown = !m.CPD_EnterName->Visible && !ctx.L.MessageDummy->Visible;
  m.ProfileRows[0]->Parent()->Visible = listShown;
  m.CPD_newPlayer->Visible = !ctx.L.MessageDummy->Visible;
  m.CPD_ScrollUp->Visible = m.CPD_ScrollDown->Visible = !m.CPD_EnterName->Visible;
  // 2. The typed name and its blinking underline.
  if (m.CPDEN_EnterName->Text != m.Edit1) m.CPDEN_EnterName->Text = m.Edit1;
  m.CPDEN_EnterNameFx->ModulateColor.a = float(std::sin(frameTime * 8.0));
  const float rx = float(m.LayoutWidth) / 1024.0f;
  // Our font's dash is a short stroke in the middle of its cell: a letter of the name at scale
  // 0.25 is about as wide as the dash at 0.85, so the line spans the name.
  m.CPDEN_EnterNameFx->Scale.x = (0.3f + kUnderlinePerChar * float(m.Edit1.size())) * rx;
  // 3-4. The mark behind the selected row, as wide as its name.
  const int32_t b = p.Selected - p.Scroll;
  if (!p.List.empty() && b >= 1 && b <= data::kProfileRows && listShown) {
    m.CPD_mark->Visible = true;
    m.CPD_mark->Position.x = MarkX(b);
    m.CPD_mark->Scale.z = kMarkWidthPerChar * float(std::max<size_t>(1, m.ProfileRows[size_t(b - 1)]->Text.size())) + 0.2f;
  } else {
    m.CPD_mark->Visible = false;
  }
}

bool PlayerNameInput(GameContext& ctx, const scene::TGLBaseSceneObject* picked) {
  TMenuState& m = ctx.Menus;
  const bool hovered = picked && m.PlayerNameLabel->Visible &&
                       (picked == m.PlayerNameLabel || picked == m.PlayerNameText || picked == m.PlayerHint1);
  if (!hovered) {
    SetNameButtonLook(m, false);
    return false;
  }
  if (m.PlayerNameLabel->ModulateColor.a == 0.75f) PlayOverButton(ctx);
  SetNameButtonLook(m, true);
  if (!TakePress(ctx)) return false;
  SetNameButtonLook(m, false);
  OpenChangePlayer(ctx);
  return true;
}

}  // namespace vlm::interface
