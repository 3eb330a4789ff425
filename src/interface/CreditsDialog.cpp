#include "interface/CreditsDialog.h"

#include "interface/MenuFramework.h"
#include "context/GameContext.h"
#include "context/Timers.h"

namespace vlm::interface {

namespace {

constexpr int kFullSteps = 20;  // 0.05 a tick

struct CreditLine {
  const char* Title;
  const char* Text;
};

// Only characters the menu font draws: letters, digits, blank and . , - : ! ( ) " = ? @ / %
constexpr CreditLine kCredits[25] = {
    {"velmora 2", "a quorvel works game"},
    {"game design", "the velmora 2 team"},
    {"programming", "the velmora 2 team"},
    {"graphics", "painted in code by our own forge\rat every build"},
    {"music", "composed in code by the forge\rplayed by libopenmpt"},
    {"sound effects", "synthesised by the forge"},
    {"levels and enemies", "written by hand by the team"},
    {"testing", "scripted pilots flying headless\rand the team at the controls"},
    {"thanks", "to everyone who plays"},
    {"built with free software", "on debian 12, with the\rlibraries and tools that follow"},
    {"sdl 2", "window, input, timers and sound\rzlib licence"},
    {"mesa", "opengl\rmit licence"},
    {"libepoxy", "opengl function loading\rmit licence"},
    {"libopenmpt", "tracker music playback\rbsd 3-clause licence"},
    {"libjpeg-turbo", "jpeg pictures\rijg licence and bsd 3-clause licence"},
    {"glm", "vector mathematics\rmit licence"},
    {"clang and libfuzzer", "fuzz testing of every file reader\rapache licence 2.0, llvm exception"},
    {"cairo", "painting in the forge\rlgpl 2.1 or mpl 1.1"},
    {"freetype", "lettering in the forge\rfreetype licence or gpl 2"},
    {"dejavu fonts", "the letters of our pictures and font\rbitstream vera licence"},
    {"googletest", "the tests, run under xvfb\rbsd 3-clause licence, x11 (mit) licence"},
    {"google benchmark", "the measurements\rapache licence 2.0"},
    {"cmake and pkg-config", "the build\rbsd 3-clause licence and gpl 2"},
    {"ninja and ccache", "the build\rapache licence 2.0 and gpl 3"},
    {"gcc", "the compiler\rgpl 3 with the runtime library exception"},
};

void ShowEntry(GameContext& ctx) {
  TMenuState& m = ctx.Menus;
  const TCredits& e = m.Credits[m.CreditsIndex - 1];
  m.CD_Title->Text = e.Title;
  m.CD_Text->Text = e.Text;
}

// The texts at the strength of the current step; the title narrows to its size while it fades in.
void ApplyStrength(GameContext& ctx, bool fadingIn) {
  TMenuState& m = ctx.Menus;
  const float a = float(m.CreditsSteps) / float(kFullSteps);
  const float rx = float(m.LayoutWidth) / 1024.0f, ry = float(m.LayoutHeight) / 768.0f;
  m.CD_Title->ModulateColor.a = a;
  if (fadingIn) m.CD_Title->Scale.x = (0.35f - (a - 1.0f) * 2.0f) * rx;
  m.CD_Text->ModulateColor.a = a;
  m.CD_Text->Scale.y = a * 0.35f * ry;
}

}  // namespace

void CreateCreditsLayout(GameContext& ctx) {
  TMenuState& m = ctx.Menus;
  m.CreditsDummy = AddChild<TGLDummyCube>(*ctx.L.MainMenuDummy, "CreditsDummy", false);
  m.CreditsDummy->Position = {0.0f, -0.02f, 0.0f};
  AddMenuSprite(ctx, *m.CreditsDummy, "CD_bg", "OD_bg", 0, 0, 0, kDialogScaleX, kDialogScaleZ);
  m.CD_Title = AddMenuText(ctx, *m.CreditsDummy, "CD_Title", "", 512, 350, 0.35f, 0.35f,
                           scene::TTextAlignment::Center);
  m.CD_Text = AddMenuText(ctx, *m.CreditsDummy, "CD_Text", "", 512, 380, 0.25f, 0.25f,
                          scene::TTextAlignment::Center, {1.0f, 0.949f, 0.875f, 1.0f});
  m.CD_Back = AddMaterialButton(ctx, *m.CreditsDummy, "CD_Back", "MM_Back", "MM_BackLighted", -1.6f, -0.01f, -3.15f,
                                0.4f, 1.35f);
}

void FillCredits(GameContext& ctx) {
  std::vector<TCredits>& c = ctx.Menus.Credits;
  c.clear();
  for (size_t i = 0; i < 25; ++i) {
    TCredits e;
    e.Title = kCredits[i].Title;
    e.Text = kCredits[i].Text;
    e.Hold = i < 9 ? 90 : (i == 9 ? 60 : 40);
    c.push_back(e);
  }
}

void OpenCredits(GameContext& ctx) {
  TMenuState& m = ctx.Menus;
  m.CreditsIndex = 1;
  m.CreditsHold = 0;
  m.CreditsSteps = 0;
  for (TCredits& e : m.Credits) e.FadingIn = true;
  if (!m.Credits.empty()) ShowEntry(ctx);
  ApplyStrength(ctx, true);
  ctx.Timers.SetEnabled(TimerId::Timer2, true);
  m.CreditsDummy->Visible = true;
  ctx.GameState = "credits";
}

void CreditsTick(GameContext& ctx) {
  TMenuState& m = ctx.Menus;
  if (ctx.GameState != "credits" || m.CreditsIndex > m.Credits.size() || m.Credits.empty()) return;
  TCredits& e = m.Credits[m.CreditsIndex - 1];
  if (e.FadingIn) {
    if (m.CreditsSteps >= kFullSteps) {
      if (m.CreditsHold < e.Hold) {
        ++m.CreditsHold;
      } else {
        m.CreditsHold = 0;
        e.FadingIn = false;
      }
    } else {
      ++m.CreditsSteps;
    }
    ApplyStrength(ctx, true);
    return;
  }
  if (m.CreditsSteps > 0) {
    --m.CreditsSteps;
  } else if (m.CreditsIndex < m.Credits.size()) {
    ++m.CreditsIndex;
    ShowEntry(ctx);
  }
  ApplyStrength(ctx, false);
}

void CreditsInput(GameContext& ctx, const scene::TGLBaseSceneObject* picked) {
  TMenuState& m = ctx.Menus;
  if (HoverMaterialButton(ctx, m.CD_Back, picked) && TakePress(ctx)) {
    ResetLook(m.CD_Back);
    m.CreditsDummy->Visible = false;
    ctx.Timers.SetEnabled(TimerId::Timer2, false);
    ctx.GameState = "mainmenu";
  }
}

}  // namespace vlm::interface
