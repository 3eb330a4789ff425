#include "context/MenuFocus.h"

#include <cmath>
#include <limits>

#include "context/MenuState.h"
#include "scene/Projection.h"
#include "context/GameContext.h"

namespace vlm::interface {

namespace {

bool Usable(const scene::TGLBaseSceneObject* o) {
  if (!o) return false;
  for (const scene::TGLBaseSceneObject* p = o; p; p = p->Parent())
    if (!p->Visible) return false;
  return true;
}

// Where an object is drawn, in window pixels.
bool ScreenPoint(GameContext& ctx, const scene::TGLBaseSceneObject& o, glm::vec2& out) {
  if (o.Kind == scene::TObjectKind::HUDText) {
    glm::vec2 a, b;
    if (!static_cast<const scene::TGLHUDText&>(o).TextRect(a, b)) return false;
    out = (a + b) * 0.5f;
    return true;
  }
  const scene::TViewProjection vp =
      scene::ComputeViewProjection(ctx.Scene.Camera(), ctx.ViewportWidth, ctx.ViewportHeight);
  glm::vec3 w;
  if (!scene::WorldToWindow(vp, o.AbsolutePosition(), w)) return false;
  out = {w.x, w.y};
  return true;
}

void AddOptions(TOptionsDialog& d, TFocusTargets& t) {
  const TInputPage& p = d.Input;
  if (p.Open) {  // the controls page stands in the options' place
    for (const auto& row : p.Cells)
      for (TGLHUDText* cell : row) t.Add(cell);
    t.Add(p.Defaults);
    t.Add(p.Back);
    return;
  }
  for (TOptionsRow* row : {&d.Resolution, &d.Music, &d.Sound, &d.Sensivity}) {
    t.Add(row->Minus);
    t.Add(row->Plus);
  }
  t.Add(p.OpenButton);
  t.Add(d.Apply.Sprite);
  t.Add(d.Cancel.Sprite);
}

void AddChangePlayer(TMenuState& m, TFocusTargets& t) {
  if (m.CPD_EnterName->Visible) {  // the name box stands over the list
    t.Add(m.CPDEN_Apply.Sprite);
    t.Add(m.CPDEN_Cancel.Sprite);
    return;
  }
  // The rows that hold a profile, then what acts on them.
  const data::TProfiles& p = m.Profiles;
  for (int k = 1; k <= data::kProfileRows; ++k)
    if (p.Scroll + k <= int32_t(p.List.size())) t.Add(m.ProfileRows[size_t(k - 1)]);
  t.Add(m.CPD_ok.Sprite);
  t.Add(m.CPD_newPlayer);
  t.Add(m.CPD_Delete.Sprite);
  t.Add(m.CPD_Cancel.Sprite);
  if (p.Scroll > 0) t.Add(m.CPD_ScrollUp);
  if (p.Scroll + data::kProfileRows < int32_t(p.List.size())) t.Add(m.CPD_ScrollDown);
}

}  // namespace

void TFocusTargets::Add(const scene::TGLBaseSceneObject* o) {
  if (Count < Items.size() && Usable(o)) Items[Count++] = o;
}

bool TFocusTargets::Contains(const scene::TGLBaseSceneObject* o) const {
  for (size_t i = 0; i < Count; ++i)
    if (Items[i] == o) return true;
  return false;
}

void CollectFocusTargets(GameContext& ctx, TFocusTargets& t) {
  t.Count = 0;
  TMenuState& m = ctx.Menus;
  if (ctx.L.MessageDummy->Visible) {
    // The safe answer first.
    t.Add(m.MD_Cancel.Sprite);
    t.Add(m.MD_Ok.Sprite);
    return;
  }
  const std::string& s = ctx.GameState;
  if (s == "mainmenu") {
    for (const TMaterialButton* b : {&m.MM_StartGame, &m.MM_Options, &m.MM_Help, &m.MM_TopRanks, &m.MM_Credits, &m.MM_Exit})
      t.Add(b->Sprite);
    t.Add(m.PlayerNameText);  // opens the change-player dialog
  } else if (s == "chooselevel") {
    for (TGLHUDText* level : m.CL_level) t.Add(level);
    t.Add(m.CL_Back.Sprite);
  } else if (s == "options") {
    AddOptions(m.Options, t);
  } else if (s == "pm_options") {
    AddOptions(m.PauseOptions, t);
  } else if (s == "help") {
    t.Add(m.HD_Right);
    t.Add(m.HD_Left);
    t.Add(m.HD_Back.Sprite);
  } else if (s == "credits") {
    t.Add(m.CD_Back.Sprite);
  } else if (s == "topranks") {
    if (ctx.L.TRD_EnterNameDummy->Visible)
      t.Add(m.TRD_Apply.Sprite);
    else
      t.Add(m.TRD_Back.Sprite);
  } else if (s == "pausemenu") {
    t.Add(ctx.L.PM_Resume);
    t.Add(ctx.L.PM_Options);
    t.Add(ctx.L.PM_Exit);
  } else if (s == "shop") {
    const TShopState& shop = ctx.Shop;
    t.Add(shop.ContinueButtonSprite);
    for (const TShopRow& row : shop.Rows) {
      t.Add(row.Minus);
      t.Add(row.Plus);
    }
    t.Add(shop.ChooseButtonSprite);
    for (scene::TGLSprite* skin : shop.Skins) t.Add(skin);  // while the chooser is open
  } else if (s == "cutscene") {
    t.Add(ctx.CutScene.NextButtonSprite);
  } else if (s == "changeplayer") {
    AddChangePlayer(m, t);
  }
}

const scene::TGLBaseSceneObject* FocusedObject(GameContext& ctx) {
  vlm::TMenuFocus& f = ctx.Input.Focus;
  if (!f.Active) return nullptr;
  TFocusTargets t;
  CollectFocusTargets(ctx, t);
  if (!t.Contains(f.Object)) f.Object = t.Count > 0 ? t.Items[0] : nullptr;
  return f.Object;
}

void PrepareMenuPress(GameContext& ctx) {
  ctx.Input.Focus.Active = true;
  FocusedObject(ctx);
}

void MoveMenuFocus(GameContext& ctx, int dx, int dy) {
  vlm::TMenuFocus& f = ctx.Input.Focus;
  TFocusTargets t;
  CollectFocusTargets(ctx, t);
  if (t.Count == 0) return;
  if (!f.Active || !t.Contains(f.Object)) {
    // The first step shows where the focus is: under the pointer, or the screen's first button.
    const scene::TGLBaseSceneObject* under =
        ctx.Scene.GetPickedObject(ctx.MouseX, ctx.MouseY, ctx.ViewportWidth, ctx.ViewportHeight);
    f.Active = true;
    f.Object = t.Contains(under) ? under : t.Items[0];
    return;
  }
  glm::vec2 from;
  if (!ScreenPoint(ctx, *f.Object, from)) return;
  const glm::vec2 dir{float(dx), float(dy)};
  const scene::TGLBaseSceneObject* best = nullptr;
  float bestScore = std::numeric_limits<float>::max();
  for (size_t i = 0; i < t.Count; ++i) {
    if (t.Items[i] == f.Object) continue;
    glm::vec2 p;
    if (!ScreenPoint(ctx, *t.Items[i], p)) continue;
    const glm::vec2 v = p - from;
    const float along = v.x * dir.x + v.y * dir.y;
    if (along < 4.0f) continue;  // not that way
    const float across = std::fabs(v.x * dir.y - v.y * dir.x);
    const float score = along + 2.0f * across;
    if (score < bestScore) {
      bestScore = score;
      best = t.Items[i];
    }
  }
  if (best) f.Object = best;
}

}  // namespace vlm::interface
