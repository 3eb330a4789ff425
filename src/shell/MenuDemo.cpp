#include "shell/MenuDemo.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "context/GameContext.h"
#include "context/GameStates.h"
#include "context/InputState.h"
#include "interface/ChooseLevel.h"
#include "shell/Autopilot.h"

namespace vlm::shell {

namespace {

bool Flying(const std::string& s) { return s == "loading" || s == "levelintro2" || s == "game" || s == "levelintro"; }

}  // namespace

bool IsPlayerInput(const GameContext& ctx, const InputEvent& e) {
  switch (e.Kind) {
    // A pointer that did not move is no hand on the mouse (a window system may repeat it).
    case InputEvent::Type::Move: return e.X != ctx.MouseX || e.Y != ctx.MouseY;
    case InputEvent::Type::Rel: return e.X != 0 || e.Y != 0;
    case InputEvent::Type::Down:
    case InputEvent::Type::KeyDown:
    case InputEvent::Type::Text:
    case InputEvent::Type::PadDown: return true;
    // A resting stick trembles inside its dead zone.
    case InputEvent::Type::PadAxisMove: return std::abs(e.X) > kStickDeadZone;
    default: return false;
  }
}

bool PlayerInputArrived(GameContext& ctx) {
  TDemoState& d = ctx.Demo;
  d.IdleSeconds = 0.0;
  if (!d.Active) return false;
  d.EndRequested = true;
  return true;
}

void StartMenuDemo(GameContext& ctx) {
  TDemoState& d = ctx.Demo;
  d.IdleSeconds = 0.0;
  // The slots the player can start from; the menu always offers at least level 1.
  std::array<int, 15> open{};
  int count = 0;
  for (size_t k = 0; k < ctx.Menus.Slots.size() && k < open.size(); ++k)
    if (ctx.Menus.Slots[k].Visible) open[size_t(count++)] = int(k);
  if (count == 0) return;
  const int slot = open[size_t(ctx.Rng(count))];
  d.SavedPlayer = ctx.Player;
  d.Active = true;
  d.EndRequested = false;
  d.Seconds = d.EndingSeconds = 0.0;
  d.Pilot = std::make_unique<TAutopilot>(ctx.Rng.Next());
  ++d.Played;
  ctx.CutScene.SkipBeforeLevelOnce = true;  // straight into the fight
  interface::StartSlot(ctx, slot);
  d.Level = ctx.Level.CurrentLevel;
  ctx.Hud.DemoText->Visible = true;
}

void EndMenuDemo(GameContext& ctx) {
  TDemoState& d = ctx.Demo;
  if (!d.Active) return;
  d.Active = false;
  d.EndRequested = false;
  d.IdleSeconds = 0.0;
  d.Pilot.reset();
  ctx.Hud.DemoText->Visible = false;
  // Whatever screen of play stood when it ended goes with it.
  ctx.L.PauseDummyCube->Visible = false;
  ctx.L.PauseBlur->Visible = false;
  ctx.L.StatisticsDummyCube->Visible = false;
  ReturnToMainMenu(ctx);
  ctx.Player = d.SavedPlayer;
  // Nothing the pilot or the player held is still held in the menu.
  ctx.MouseDevice = TMouseDevice{};
  ctx.KeysDown.fill(false);
  ctx.LeftClick = ctx.RightClick = false;
}

void MenuDemoPass(GameContext& ctx, int64_t nowUs) {
  TDemoState& d = ctx.Demo;
  const double dt = d.LastUs < 0 ? 0.0 : std::clamp(double(nowUs - d.LastUs) / 1e6, 0.0, 0.25);
  d.LastUs = nowUs;
  if (!d.Active) {
    const bool idle = ctx.GameState == "mainmenu" && !ctx.L.MessageDummy->Visible && !ctx.Deactivated;
    d.IdleSeconds = idle ? d.IdleSeconds + dt : 0.0;
    if (d.IdleSeconds >= kDemoIdleSeconds) StartMenuDemo(ctx);
    return;
  }
  if (d.EndRequested) {
    EndMenuDemo(ctx);
    return;
  }
  d.Seconds += dt;
  const std::string& s = ctx.GameState;
  const bool gameOver = ctx.L.GomSprite->Visible;
  if (gameOver || s == "statistics") d.EndingSeconds += dt;
  // Any screen a level leads on to (the shop, a cut-scene, the top ranks) is not the demo's.
  const bool own = Flying(s) || s == "statistics" || s == "pause";
  if (!own || d.EndingSeconds >= kDemoAfterEndSeconds || d.Seconds >= kDemoLongestSeconds) {
    EndMenuDemo(ctx);
    return;
  }
  if (Flying(s) && !gameOver) {
    d.PilotInput = true;
    d.Pilot->Fly(ctx, nowUs / 1000);
    d.PilotInput = false;
  }
  ctx.Hud.DemoText->ModulateColor.a = float(0.6 + 0.4 * std::sin(d.Seconds * 4.0));
}

}  // namespace vlm::shell
