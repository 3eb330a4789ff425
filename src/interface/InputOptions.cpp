#include "interface/InputOptions.h"

#include <cstdio>
#include <exception>
#include <string>

#include "context/MenuFocus.h"
#include "interface/MenuFramework.h"
#include "context/MenuState.h"
#include "interface/MessageBox.h"
#include "context/GameContext.h"

namespace vlm::interface {

namespace {

using vlm::Action;
using vlm::TBinding;

constexpr float kRowY0 = 252.0f, kRowStep = 36.0f;
constexpr float kColumnX[4] = {335.0f, 480.0f, 650.0f, 860.0f};
constexpr float kTextNormal = 0.75f;

// What the pad's controls are called on the page (the font has capitals, digits and a little
// punctuation).
constexpr std::array<std::string_view, static_cast<size_t>(vlm::PadControl::Count)> kPadLabels = {
    "A", "B", "X", "Y", "back", "guide", "start", "l-stick", "r-stick", "LB", "RB",
    "d-pad up", "d-pad down", "d-pad left", "d-pad right", "LT", "RT",
    "stick left", "stick right", "stick up", "stick down",
    "rstick left", "rstick right", "rstick up", "rstick down"};

TGLHUDText* TextButton(GameContext& ctx, scene::TGLBaseSceneObject& parent, const std::string& name,
                       std::string_view text, float x, float y, float scale, scene::TTextAlignment align) {
  TGLHUDText* t = AddMenuText(ctx, parent, name.c_str(), text, x, y, scale, scale, align,
                              {1.0f, 0.949f, 0.875f, kTextNormal});
  return t;
}

TMaterialButton BackButton(const TInputPage& p) { return {p.Back, "MM_Back", "MM_BackLighted"}; }

// The options page's own controls, hidden while the controls page stands in their place.
void ShowOptionsPage(TOptionsDialog& d, bool visible) {
  for (TOptionsRow* row : {&d.Resolution, &d.Music, &d.Sound, &d.Sensivity}) row->Group->Visible = visible;
  d.Apply.Sprite->Visible = visible;
  d.Cancel.Sprite->Visible = visible;
  d.Input.OpenButton->Visible = visible;
}

void OpenPage(TOptionsDialog& d) {
  ShowOptionsPage(d, false);
  d.Input.Group->Visible = true;
  d.Input.Open = true;
  d.Input.Waiting = false;
}

void ClosePage(GameContext& ctx, TOptionsDialog& d) {
  try {
    vlm::SaveControls(*ctx.Data, ctx.Input.Controls);
  } catch (const std::exception& e) {
    ctx.Platform().ShowError("Velmora 2", e.what());
  }
  ResetLook(BackButton(d.Input));
  d.Input.Group->Visible = false;
  d.Input.Open = false;
  d.Input.Waiting = false;
  ShowOptionsPage(d, true);
  ctx.LeftClick = false;
}

TOptionsDialog* OpenDialog(GameContext& ctx) {
  if (ctx.GameState == "options") return &ctx.Menus.Options;
  if (ctx.GameState == "pm_options") return &ctx.Menus.PauseOptions;
  return nullptr;
}

// The page whose place waits for a key or pad control, unless a message box stands over it.
TInputPage* WaitingPage(GameContext& ctx) {
  TOptionsDialog* d = OpenDialog(ctx);
  if (!d || !d->Input.Open || !d->Input.Waiting || ctx.L.MessageDummy->Visible) return nullptr;
  return &d->Input;
}

std::string Shown(const TBinding& b) {
  std::string s(BindingLabel(b));
  return b.Keyboard ? s : "the controller's " + s;
}

// The key or control pressed goes into the waiting place, unless it is kept for the menus or
// already has an action.
void Assign(GameContext& ctx, TInputPage& p, const TBinding& b, bool reserved) {
  p.Waiting = false;
  vlm::TControls& c = ctx.Input.Controls;
  TBinding& place = c.Of(b.Keyboard)[p.WaitAction][p.WaitColumn % 2];
  if (reserved) {
    ShowMessageBoxButtons(ctx, Shown(b) + "\ris kept for the menus", false);
    return;
  }
  if (place == b) return;
  if (const auto taken = vlm::FindBinding(c, b)) {
    ShowMessageBoxButtons(ctx, Shown(b) + " is already\rtaken by " + std::string(vlm::ActionName(taken->What)), false);
    return;
  }
  place = b;
  PlayClick(ctx);
}

void SetText(TGLHUDText& t, std::string_view text) {
  if (t.Text != text) t.Text.assign(text.data(), text.size());
}

}  // namespace

std::string_view BindingLabel(const TBinding& b) {
  if (b.Empty()) return "-";
  if (b.Keyboard) return b.Code < size_t(vlm::Key::Count) ? vlm::KeyName(vlm::Key(b.Code)) : "-";
  return b.Code < kPadLabels.size() ? kPadLabels[b.Code] : "-";
}

void CreateInputPage(GameContext& ctx, scene::TGLBaseSceneObject& parent, TOptionsDialog& d, bool inGame) {
  TInputPage& p = d.Input;
  const std::string pre = inGame ? "PMID_" : "ID_";
  p.OpenButton = TextButton(ctx, parent, pre + "Open", "keyboard and controller...", 40, 378, 0.25f,
                            scene::TTextAlignment::Left);
  p.Group = AddChild<TGLDummyCube>(parent, (pre + "Page").c_str(), false);
  const scene::TColor title{1.0f, 1.0f, 1.0f, 0.9f};
  p.Title = AddMenuText(ctx, *p.Group, (pre + "Title").c_str(), "controls", 512, 172, 0.32f, 0.32f,
                        scene::TTextAlignment::Center, title);
  p.KeyboardHeader = AddMenuText(ctx, *p.Group, (pre + "KeyboardHeader").c_str(), "keyboard",
                                 (kColumnX[0] + kColumnX[1]) / 2, 214, 0.24f, 0.24f, scene::TTextAlignment::Center, title);
  p.PadHeader = AddMenuText(ctx, *p.Group, (pre + "PadHeader").c_str(), "controller", (kColumnX[2] + kColumnX[3]) / 2,
                            214, 0.24f, 0.24f, scene::TTextAlignment::Center, title);
  for (size_t a = 0; a < vlm::kActionCount; ++a) {
    const float y = kRowY0 + kRowStep * float(a);
    p.Labels[a] = AddMenuText(ctx, *p.Group, (pre + "Label" + std::to_string(a + 1)).c_str(),
                              std::string(vlm::ActionName(Action(a))) + ":", 60, y, 0.24f, 0.24f,
                              scene::TTextAlignment::Left);
    for (size_t c = 0; c < 4; ++c)
      p.Cells[a][c] = TextButton(ctx, *p.Group, pre + "Cell" + std::to_string(a + 1) + "_" + std::to_string(c + 1), "-",
                                 kColumnX[c], y, 0.21f, scene::TTextAlignment::Center);
  }
  p.Defaults = TextButton(ctx, *p.Group, pre + "Defaults", "defaults", 512, 450, 0.26f, scene::TTextAlignment::Center);
  p.Status = AddMenuText(ctx, *p.Group, (pre + "Status").c_str(), "", 512, 492, 0.2f, 0.2f,
                         scene::TTextAlignment::Center, {1.0f, 1.0f, 0.7f, 0.85f});
  p.Back = AddMaterialButton(ctx, *p.Group, (pre + "Back").c_str(), "MM_Back", "MM_BackLighted", -1.6f, -0.01f, -3.15f,
                             0.4f, 1.35f)
               .Sprite;
}

bool InputPageInput(GameContext& ctx, TOptionsDialog& d, const scene::TGLBaseSceneObject* picked) {
  TInputPage& p = d.Input;
  if (!p.OpenButton) return false;
  if (!p.Open) {
    if (HoverTextButton(ctx, *p.OpenButton, picked) && TakePress(ctx)) {
      p.OpenButton->ModulateColor.a = kTextNormal;
      OpenPage(d);
      return true;
    }
    return false;
  }
  for (size_t a = 0; a < vlm::kActionCount; ++a) {
    for (size_t c = 0; c < 4; ++c) {
      if (HoverTextButton(ctx, *p.Cells[a][c], picked) && TakePress(ctx)) {
        p.Waiting = true;
        p.WaitAction = a;
        p.WaitColumn = c;
        return true;
      }
    }
  }
  if (HoverTextButton(ctx, *p.Defaults, picked) && TakePress(ctx)) {
    ctx.Input.Controls = vlm::DefaultControls();
    p.Waiting = false;
    return true;
  }
  if (HoverMaterialButton(ctx, BackButton(p), picked) && TakePress(ctx)) ClosePage(ctx, d);
  return true;
}

void InputPageFrame(GameContext& ctx, TOptionsDialog& d) {
  TInputPage& p = d.Input;
  if (!p.Open) return;
  const vlm::TControls& c = ctx.Input.Controls;
  for (size_t a = 0; a < vlm::kActionCount; ++a) {
    for (size_t col = 0; col < 4; ++col) {
      const bool waiting = p.Waiting && p.WaitAction == a && p.WaitColumn == col;
      SetText(*p.Cells[a][col], waiting ? "[?]" : BindingLabel(c.Of(col < 2)[a][col % 2]));
    }
  }
  if (!p.Waiting) {
    SetText(*p.Status, "choose a place, then press a key or button");
  } else {
    char line[64];
    std::snprintf(line, sizeof line, p.WaitColumn < 2 ? "press a key for %s (escape: keep)"
                                                      : "press a button for %s (back: keep)",
                  vlm::ActionName(Action(p.WaitAction)).data());
    SetText(*p.Status, line);
  }
}

bool CloseInputPage(GameContext& ctx) {
  TOptionsDialog* d = OpenDialog(ctx);
  if (!d || !d->Input.Open) return false;
  if (d->Input.Waiting) {
    d->Input.Waiting = false;  // Escape first keeps the waiting place as it was
    return true;
  }
  ClosePage(ctx, *d);
  return true;
}

bool InputPageTakesKey(GameContext& ctx, vlm::Key key) {
  TInputPage* p = WaitingPage(ctx);
  if (!p) return false;
  if (key == vlm::Key::Escape) {
    p->Waiting = false;
    return true;
  }
  if (p->WaitColumn >= 2) return false;  // a controller place: the keys go on as usual
  Assign(ctx, *p, TBinding::OfKey(key), vlm::KeyIsReserved(key));
  return true;
}

bool InputPageTakesPad(GameContext& ctx, vlm::PadControl control) {
  TInputPage* p = WaitingPage(ctx);
  if (!p) return false;
  if (control == vlm::PadControl::Back) {
    p->Waiting = false;
    return true;
  }
  if (p->WaitColumn < 2) return false;  // a keyboard place: the pad goes on as usual
  Assign(ctx, *p, TBinding::OfPad(control), vlm::PadControlIsReserved(control));
  return true;
}

}  // namespace vlm::interface
