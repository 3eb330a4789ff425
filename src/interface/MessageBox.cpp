#include "interface/MessageBox.h"

#include "interface/ChangePlayer.h"
#include "interface/MenuFramework.h"
#include "interface/Shop.h"
#include "context/GameStates.h"
#include "context/GameContext.h"

namespace vlm::interface {

namespace {

constexpr float kTextX = 512.0f, kTextY = 300.0f, kTextScale = 0.32f;

}  // namespace

void CreateMessageBoxLayout(GameContext& ctx) {
  TMenuState& m = ctx.Menus;
  TGLDummyCube& box = *ctx.L.MessageDummy;
  // Straight ahead of the camera, nearer than any screen it covers.
  box.Position = {kCameraX, kCameraY + kMessageDepth, kCameraZ};
  box.Scale = {0.24f, 1.0f, 0.24f};
  box.Visible = false;
  m.MD_bg = AddMenuSprite(ctx, box, "MD_bg", "OD_bg", 0.0f, 0.0f, 0.0f, 1.65f, 3.8f);
  m.MD_Text = AddMenuText(ctx, box, "MD_Text", "", kTextX, kTextY, kTextScale, kTextScale,
                          scene::TTextAlignment::Center, {0.996f, 0.89f, 0.871f, 0.8f});
  m.MD_Text->Text.reserve(160);
  m.MD_Ok = AddMaterialButton(ctx, box, "MD_Ok", "MM_Ok", "MM_OkLighted", -0.42f, -0.01f, 1.0f, 0.4f, 1.35f);
  m.MD_Cancel =
      AddMaterialButton(ctx, box, "MD_Cancel", "MM_Cancel", "MM_CancelLighted", -0.42f, -0.01f, -1.0f, 0.4f, 1.35f);
}

void ShowMessageBox(GameContext& ctx, std::string_view text) {
  TMenuState& m = ctx.Menus;
  // The text is laid out from its own place each time, for the window as it is now.
  m.MD_Text->Text = text;
  const float rx = float(ctx.ViewportWidth) / 1024.0f, ry = float(ctx.ViewportHeight) / 768.0f;
  m.MD_Text->Position = {kTextX * rx, kTextY * ry, 0.0f};
  m.MD_Text->Scale = {kTextScale * rx, kTextScale * ry, 1.0f};
  m.MD_bg->Scale.z = 3.8f;
  m.MD_bg->Scale.x = 1.65f;
  m.MD_Ok.Sprite->Position.x = -0.42f;
  m.MD_Ok.Sprite->Position.z = 1.0f;
  m.MD_Cancel.Sprite->Position.x = -0.42f;
  m.MD_Cancel.Sprite->Position.z = -1.0f;
  m.MD_Cancel.Sprite->Visible = true;
  ctx.L.MessageDummy->Visible = true;
}

void ShowMessageBoxButtons(GameContext& ctx, std::string_view text, bool withCancel) {
  ShowMessageBox(ctx, text);
  if (!withCancel) {
    ctx.Menus.MD_Ok.Sprite->Position.x = -0.42f;
    ctx.Menus.MD_Ok.Sprite->Position.z = 0.0f;
    ctx.Menus.MD_Cancel.Sprite->Visible = false;
  }
}

void ShowMessageBoxFaded(GameContext& ctx, std::string_view text, bool withCancel, float alpha) {
  ShowMessageBoxButtons(ctx, text, withCancel);
  TMenuState& m = ctx.Menus;
  m.MD_bg->AlphaChannel = alpha;
  m.MD_Ok.Sprite->AlphaChannel = alpha;
  m.MD_Cancel.Sprite->AlphaChannel = alpha;
  m.MD_Text->ModulateColor.a = alpha;
}

void MessageBoxInput(GameContext& ctx) {
  TMenuState& m = ctx.Menus;
  if (!ctx.L.MessageDummy->Visible) return;
  const scene::TGLBaseSceneObject* picked = PickUnderMouse(ctx);
  const bool cancelShown = m.MD_Cancel.Sprite->Visible;
  if (HoverMaterialButton(ctx, m.MD_Cancel, cancelShown ? picked : nullptr) && TakePress(ctx)) {
    ctx.L.MessageDummy->Visible = false;
    ResetLook(m.MD_Cancel);
    return;
  }
  if (HoverMaterialButton(ctx, m.MD_Ok, picked) && TakePress(ctx)) {
    ctx.L.MessageDummy->Visible = false;
    ResetLook(m.MD_Ok);
    // Only a question acts: a notice (Ok alone) just closes, whatever the screen beneath.
    if (cancelShown && ctx.GameState == "mainmenu") {
      ctx.Platform().RequestQuit();
    } else if (cancelShown && ctx.GameState == "pausemenu") {
      ReturnToMainMenu(ctx);
    } else if (cancelShown && ctx.GameState == "shop") {
      LeaveShop(ctx);
    } else if (cancelShown && ctx.GameState == "changeplayer") {
      DeleteSelectedProfile(ctx);
    }
    // Elsewhere Ok only closes the box.
    ctx.LeftClick = false;
  }
}

}  // namespace vlm::interface
