#include "interface/HelpDialog.h"

#include <string>

#include "interface/MenuFramework.h"
#include "context/GameContext.h"

namespace vlm::interface {

namespace {

constexpr const char* kCaptions[12] = {"Bonus points",  "health",         "armor",          "Invulnerability",
                                       "2x scores",     "4 rockets",      "napalm",         "explosion",
                                       "fire bullets",  "poison bullets", "freeze bullets", "time freeze"};
constexpr const char* kPages[4] = {"", "HD_Page1", "HD_Page2", "HD_Page3"};
constexpr const char* kPageNumbers[4] = {"", "1/3", "2/3", "3/3"};

}  // namespace

void CreateHelpLayout(GameContext& ctx) {
  TMenuState& m = ctx.Menus;
  m.HelpDummy = AddChild<TGLDummyCube>(*ctx.L.MainMenuDummy, "HelpDummy", false);
  m.HelpDummy->Position = {0.0f, -0.02f, 0.0f};
  AddMenuSprite(ctx, *m.HelpDummy, "HD_bg", "HD_bg", 0, 0, 0, kDialogScaleX, kDialogScaleZ);
  m.HD_Page = AddMenuSprite(ctx, *m.HelpDummy, "HD_Page", "HD_Page1", 0.267f, -0.01f, 0.343f, 2.795f, 6.755f);
  m.HD_Page->Pickable = false;
  m.HD_PageText = AddMenuText(ctx, *m.HelpDummy, "HD_PageText", "1/3", 268, 563, 0.35f, 0.35f,
                              scene::TTextAlignment::Center);
  m.HD_Left = AddMenuSprite(ctx, *m.HelpDummy, "HD_Left", "ShopMinus", -1.55f, -0.01f, 2.7f, 0.25f, 0.8f);
  m.HD_Right = AddMenuSprite(ctx, *m.HelpDummy, "HD_Right", "ShopPlus", -1.55f, -0.01f, 1.2f, 0.25f, 0.8f);
  m.HD_Left->AlphaChannel = m.HD_Right->AlphaChannel = 0.75f;
  m.HD_Back = AddMaterialButton(ctx, *m.HelpDummy, "HD_Back", "MM_Back", "MM_BackLighted", -1.6f, -0.01f, -3.15f,
                                0.4f, 1.35f);
  const char* groups[3] = {"HD_Page1Dummy", "HD_Page2Dummy", "HD_Page3Dummy"};
  for (int p = 0; p < 3; ++p) m.HD_PageDummy[size_t(p)] = AddChild<TGLDummyCube>(*m.HelpDummy, groups[p], p == 0);
  // Pages 2 and 3: two columns of three bonuses, each turning in its capsule, its caption beside.
  static constexpr float kRowX[3] = {1.15f, 0.3f, -0.55f};
  static constexpr float kColumnZ[2] = {3.35f, 0.4f};
  static constexpr float kCaptionX[2] = {150.0f, 510.0f};
  static constexpr float kCaptionY[3] = {230.0f, 338.0f, 442.0f};
  for (int i = 0; i < 12; ++i) {
    TGLDummyCube& page = *m.HD_PageDummy[size_t(1 + i / 6)];
    const int row = (i % 6) / 2, column = i % 2;
    const std::string name = "HD_Bonus" + std::to_string(i + 1);
    auto* s = AddChild<scene::TGLAnimatedSprite>(page, name.c_str());
    scene::TSpriteAnimation& a = s->AddAnimation();
    a.StartFrame = 0;
    a.EndFrame = 10;
    a.FrameWidth = 50;
    a.FrameHeight = 50;
    a.Interval = 75;
    a.LibMaterialName = "bonus" + std::to_string(i + 1) + ".bmp";
    s->MaterialLibrary = &ctx.BonusMaterialLibrary;
    s->SetAnimationIndex(0);
    s->AnimationMode = scene::TSpriteAnimationMode::Loop;
    s->PixelRatio = 70.0f;
    s->Position = {kRowX[row], -0.02f, kColumnZ[column]};
    s->Pickable = false;
    const std::string caption = name + "Text";
    AddMenuText(ctx, page, caption.c_str(), kCaptions[i], kCaptionX[column], kCaptionY[row], 0.22f, 0.22f,
                scene::TTextAlignment::Left, {1.0f, 0.949f, 0.875f, 1.0f});
  }
}

void OpenHelp(GameContext& ctx) {
  ctx.Menus.HelpPage = 1;
  ctx.Menus.HD_Page->Material.SetLibMaterialName("HD_Page1");
  ctx.Menus.HelpDummy->Visible = true;
  ctx.GameState = "help";
  HelpFrame(ctx);
}

void HelpInput(GameContext& ctx, const scene::TGLBaseSceneObject* picked) {
  TMenuState& m = ctx.Menus;
  if (HoverFadeButton(ctx, *m.HD_Left, picked) && TakePress(ctx)) {
    if (m.HelpPage > 1) --m.HelpPage;
    return;
  }
  if (HoverFadeButton(ctx, *m.HD_Right, picked) && TakePress(ctx)) {
    if (m.HelpPage < 3) ++m.HelpPage;
    return;
  }
  if (HoverMaterialButton(ctx, m.HD_Back, picked) && TakePress(ctx)) {
    ResetLook(m.HD_Back);
    m.HelpDummy->Visible = false;
    ctx.GameState = "mainmenu";
  }
}

void HelpFrame(GameContext& ctx) {
  TMenuState& m = ctx.Menus;
  const int page = m.HelpPage >= 1 && m.HelpPage <= 3 ? m.HelpPage : 1;
  m.HD_Page->Material.SetLibMaterialName(kPages[page]);
  if (m.HD_PageText->Text != kPageNumbers[page]) m.HD_PageText->Text = kPageNumbers[page];
  for (int p = 0; p < 3; ++p) m.HD_PageDummy[size_t(p)]->Visible = p + 1 == page;
}

}  // namespace vlm::interface
