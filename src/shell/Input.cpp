#include "shell/Input.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>

#include "data/Numbers.h"
#include "shell/FrameLoop.h"
#include "shell/MenuDemo.h"
#include "context/GameContext.h"
#include "shell/Replay.h"
#include "combat/Bonuses.h"
#include "combat/Player.h"
#include "interface/ChangePlayer.h"
#include "interface/CreditsDialog.h"
#include "interface/InputOptions.h"
#include "context/MenuFocus.h"
#include "interface/MenuFramework.h"
#include "interface/MessageBox.h"
#include "interface/OptionsDialog.h"
#include "interface/PauseMenu.h"
#include "interface/Shop.h"
#include "interface/TopRanksScreen.h"
#include "interface/Statistics.h"
#include "levels/CutScene.h"
#include "levels/LevelRun.h"
#include "sound/SoundUnit.h"

namespace vlm::shell {

namespace {

size_t ButtonIndex(MouseButton b) { return static_cast<size_t>(b); }

// The hover and click dispatch shared by mouse down and the 80 ms timer.
void DispatchToScreens(GameContext& ctx) {
  if (ctx.L.MessageDummy->Visible) interface::MessageBoxInput(ctx);
  if (ctx.GameState == "pausemenu") interface::PauseMenuInput(ctx);
  if (ctx.GameState == "pm_options")
    interface::OptionsInput(ctx, ctx.Menus.PauseOptions, interface::PickUnderMouse(ctx));
  if (ctx.GameState == "shop") interface::ShopInput(ctx);
  if (ctx.GameState == "cutscene") levels::CutSceneInput(ctx);
  if (IsMenuState(ctx)) interface::MenuScreensInput(ctx);
}

void HitShake(GameContext& ctx) {
  TLayout& L = ctx.L;
  if (ctx.HitShakeTicks > 0) {
    --ctx.HitShakeTicks;
    SetMaterialAlpha(*L.PlayerHitBlur, float(ctx.HitShakeTicks) / 3.0f);
    static constexpr int kShake[] = {0, +1, -1, +1, -1, +1};
    if (ctx.HitShakeTicks >= 1 && ctx.HitShakeTicks <= 5)
      ctx.Scene.Camera().FocalLength = 41.0f + float(kShake[ctx.HitShakeTicks]);
    if (ctx.HitShakeTicks == 0) {
      ctx.Scene.Camera().FocalLength = 40.0f;
      L.PlayerHitBlur->Visible = false;
    }
  } else {
    float a = MaterialAlpha(*L.PlayerHitBlur);
    if (a > 0.0f) {
      a -= float(ctx.DeltaTime * 0.9);
      if (a <= 0.0f) {
        a = 0.0f;
        L.PlayerHitBlur->Visible = false;
      }
      SetMaterialAlpha(*L.PlayerHitBlur, a);
    }
  }
}

bool BindingHeld(const GameContext& ctx, const TBinding& b) {
  if (b.Empty()) return false;
  if (b.Keyboard) return b.Code < size_t(Key::Count) && ctx.KeysDown[b.Code];
  return b.Code < size_t(PadControl::Count) && PadControlActive(ctx.Input.Pad, PadControl(b.Code));
}

bool ActionHeld(const GameContext& ctx, Action a) {
  const TControls& c = ctx.Input.Controls;
  for (const TBinding& b : c.Keys[size_t(a)])
    if (BindingHeld(ctx, b)) return true;
  for (const TBinding& b : c.Pad[size_t(a)])
    if (BindingHeld(ctx, b)) return true;
  return false;
}

bool IsStickDirection(PadControl c) { return c >= PadControl::LeftStickLeft && c <= PadControl::RightStickDown; }

// One side of the steering: how hard it is pushed (0 to 1). Keys, buttons and triggers are
// held or not and ramp up while held; a stick gives its own amount at once, on a square curve
// so that small pushes steer finely.
double SteerSide(GameContext& ctx, Action a, double& heldSeconds, double dt) {
  const TControls& c = ctx.Input.Controls;
  bool digital = false;
  double analog = 0.0;
  for (const TBinding& b : c.Keys[size_t(a)]) digital = digital || BindingHeld(ctx, b);
  for (const TBinding& b : c.Pad[size_t(a)]) {
    if (b.Empty() || b.Code >= size_t(PadControl::Count)) continue;
    const PadControl pc = PadControl(b.Code);
    if (IsStickDirection(pc)) {
      const double d = PadControlAmount(ctx.Input.Pad, pc);
      analog = std::max(analog, d * d);
    } else {
      digital = digital || PadControlActive(ctx.Input.Pad, pc);
    }
  }
  heldSeconds = digital ? heldSeconds + dt : 0.0;
  const double ramp = std::min(1.0, heldSeconds / kSteerRampSeconds);
  return std::max(digital ? kSteerStart + (1.0 - kSteerStart) * ramp * ramp : 0.0, analog);
}

bool KeyBoundTo(const GameContext& ctx, Key key, Action a) {
  for (const TBinding& b : ctx.Input.Controls.Keys[size_t(a)])
    if (b == TBinding::OfKey(key)) return true;
  return false;
}

bool PadBoundTo(const GameContext& ctx, PadControl c, Action a) {
  for (const TBinding& b : ctx.Input.Controls.Pad[size_t(a)])
    if (b == TBinding::OfPad(c)) return true;
  return false;
}

// The pause keys: play stops under the pause picture, or goes on. Not while the pause menu is up.
void TogglePause(GameContext& ctx) {
  if (ctx.L.PauseMenuDummyCube->Visible) return;
  if (ctx.GameState == "game") {
    ctx.GameState = "pause";
    ctx.L.PauseDummyCube->Visible = true;
    ctx.L.PauseBlur->Visible = true;
  } else if (ctx.GameState == "pause") {
    ctx.GameState = "game";
    ctx.L.PauseDummyCube->Visible = false;
    ctx.L.PauseBlur->Visible = false;
  }
}

// The states whose screens keys and pads work like the mouse: moving a focus and pressing.
bool MenuInputState(const GameContext& ctx) {
  const std::string& s = ctx.GameState;
  return ctx.L.MessageDummy->Visible || IsMenuState(ctx) || s == "pausemenu" || s == "pm_options" ||
         s == "statistics" || s == "gameintro" || s == "shop" || s == "cutscene";
}

// A press of Enter or the pad's A works as the left button pressed on the focused button.
void BeginMenuPress(GameContext& ctx, bool& pressing) {
  interface::PrepareMenuPress(ctx);
  pressing = true;
  GLSceneViewer1MouseDown(ctx, MouseButton::Left);
}

void EndMenuPress(GameContext& ctx, bool& pressing) {
  if (!pressing) return;
  pressing = false;
  GLSceneViewer1MouseUp(ctx, MouseButton::Left);
}

// The Escape key, pressed and let go, from the pad's Back (and B in the menus).
void PadEscape(GameContext& ctx, bool down) {
  if (down)
    FormKeyDown(ctx, Key::Escape);
  else
    FormKeyUp(ctx, Key::Escape);
}

// A pad control came on (pressed true) or went off.
void PadControlChanged(GameContext& ctx, PadControl c, bool pressed) {
  TInputState& in = ctx.Input;
  if (pressed && interface::InputPageTakesPad(ctx, c)) return;
  if (c == PadControl::Back) {
    PadEscape(ctx, pressed);
    return;
  }
  if (pressed && PadBoundTo(ctx, c, Action::Pause)) TogglePause(ctx);
  if (!MenuInputState(ctx)) {
    if (!pressed) {
      if (c == PadControl::A || c == PadControl::Start) EndMenuPress(ctx, in.PadPressing);
      if (c == PadControl::B && in.PadEscaping) {
        in.PadEscaping = false;
        PadEscape(ctx, false);
      }
    }
    return;
  }
  switch (c) {
    case PadControl::DpadUp:
    case PadControl::LeftStickUp:
      if (pressed) interface::MoveMenuFocus(ctx, 0, -1);
      break;
    case PadControl::DpadDown:
    case PadControl::LeftStickDown:
      if (pressed) interface::MoveMenuFocus(ctx, 0, 1);
      break;
    case PadControl::DpadLeft:
    case PadControl::LeftStickLeft:
      if (pressed) interface::MoveMenuFocus(ctx, -1, 0);
      break;
    case PadControl::DpadRight:
    case PadControl::LeftStickRight:
      if (pressed) interface::MoveMenuFocus(ctx, 1, 0);
      break;
    case PadControl::A:
    case PadControl::Start:
      if (pressed)
        BeginMenuPress(ctx, in.PadPressing);
      else
        EndMenuPress(ctx, in.PadPressing);
      break;
    case PadControl::B:
      if (pressed != in.PadEscaping) {
        in.PadEscaping = pressed;
        PadEscape(ctx, pressed);
      }
      break;
    default: break;
  }
}

// Every control the pad state gives, as it was before and after a change.
std::array<bool, size_t(PadControl::Count)> ActiveControls(const TPadState& pad) {
  std::array<bool, size_t(PadControl::Count)> on{};
  for (size_t i = 0; i < on.size(); ++i) on[i] = PadControlActive(pad, PadControl(i));
  return on;
}

void PadChanged(GameContext& ctx, const std::array<bool, size_t(PadControl::Count)>& before) {
  const auto after = ActiveControls(ctx.Input.Pad);
  for (size_t i = 0; i < after.size(); ++i)
    if (after[i] != before[i]) PadControlChanged(ctx, PadControl(i), after[i]);
}

}  // namespace

void PadButtonEvent(GameContext& ctx, PadButton b, bool down) {
  const auto before = ActiveControls(ctx.Input.Pad);
  ctx.Input.Pad.Buttons[size_t(b)] = down;
  ctx.Input.Pad.Connected = true;
  PadChanged(ctx, before);
}

void PadAxisEvent(GameContext& ctx, PadAxis a, int32_t value) {
  const auto before = ActiveControls(ctx.Input.Pad);
  ctx.Input.Pad.Axes[size_t(a)] = std::clamp(value, -32768, 32767);
  ctx.Input.Pad.Connected = true;
  PadChanged(ctx, before);
}

void PadConnection(GameContext& ctx, bool added) {
  // A pad pulled out lets go of everything it held; in play the game pauses, as for a lost window.
  const auto before = ActiveControls(ctx.Input.Pad);
  ctx.Input.Pad = TPadState{};
  ctx.Input.Pad.Connected = added;
  PadChanged(ctx, before);
  if (!added && ctx.GameState == "game") WindowDeactivated(ctx);
}

void GLSceneViewer1MouseMove(GameContext& ctx, int32_t x, int32_t y) {
  // The mouse moved: the menus follow the pointer again rather than the keys' focus.
  if (x != ctx.MouseX || y != ctx.MouseY) ctx.Input.Focus.Active = false;
  ctx.MouseX = x;
  ctx.MouseY = y;
}

void GLSceneViewer1MouseUp(GameContext& ctx, MouseButton button) {
  ctx.LeftClick = false;
  ctx.RightClick = false;
  ctx.MouseDevice.PendingButtons[ButtonIndex(button)] = false;
}

void GLSceneViewer1MouseDown(GameContext& ctx, MouseButton button) {
  if (ctx.Deactivated) WindowActivated(ctx);  // as for a key
  auto& held = ctx.MouseDevice.PendingButtons;
  held[ButtonIndex(button)] = true;
  // The flags follow every button held at the press, not only the one pressed: a right press
  // while the left is held is a left click too.
  if (held[ButtonIndex(MouseButton::Left)]) {
    ctx.LeftClick = true;
    if (ctx.GameState == "statistics") {
      interface::StatisticsPress(ctx);
      // A press that opened the shop or a cut-scene is spent.
      if (ctx.GameState == "shop" || ctx.GameState == "cutscene") return;
    }
  }
  DispatchToScreens(ctx);
  if (held[ButtonIndex(MouseButton::Right)]) {
    ctx.RightClick = true;
    if (ctx.GameState == "shop") interface::ShopInput(ctx);
  }
}

bool EscapeInMenus(GameContext& ctx) {
  TLayout& L = ctx.L;
  interface::TMenuState& m = ctx.Menus;
  const std::string& s = ctx.GameState;
  if (L.MessageDummy->Visible) {
    // As Cancel; a box without Cancel is only a notice, and Escape closes it too.
    L.MessageDummy->Visible = false;
    return true;
  }
  if (s == "gameintro") {
    // The logos end at once (the frame completes the last step).
    ctx.IntroLogoStep = 3;
    ctx.LeftClick = true;
    return true;
  }
  if (s == "mainmenu") {
    interface::ShowMessageBoxFaded(ctx, "are you sure\ryou want to exit?", true, 0.85f);
  } else if (s == "chooselevel" || s == "help" || s == "credits" || s == "topranks") {
    for (scene::TGLBaseSceneObject* d : {static_cast<scene::TGLBaseSceneObject*>(m.ChooseLevelDummy),
                                         static_cast<scene::TGLBaseSceneObject*>(m.HelpDummy),
                                         static_cast<scene::TGLBaseSceneObject*>(m.CreditsDummy),
                                         static_cast<scene::TGLBaseSceneObject*>(m.TopRanksDummy)})
      d->Visible = false;
    if (s == "topranks" && L.TRD_EnterNameDummy->Visible) interface::CommitTopRank(ctx);
    m.Edit1Visible = false;
    ctx.Timers.SetEnabled(TimerId::Timer2, false);
    ctx.GameState = "mainmenu";
  } else if (s == "changeplayer") {
    interface::ChangePlayerEscape(ctx);
  } else if ((s == "options" || s == "pm_options") && interface::CloseInputPage(ctx)) {
    // The controls page goes back to the options first.
  } else if (s == "options" || s == "pm_options") {
    // As Cancel.
    interface::TOptionsDialog& d = s == "options" ? m.Options : m.PauseOptions;
    ctx.Options = ctx.OptionsBackup;
    SetMusicVolume(int(data::RoundHalfEven(ctx.Options.MusicVolume * 100.0)));
    d.Dummy->Visible = false;
    if (s == "options") {
      m.PlayerNameLabel->Visible = m.PlayerNameText->Visible = true;
      ctx.GameState = "mainmenu";
    } else {
      L.PM_ForButtons->Visible = true;
      L.GLDummyCube2->Visible = true;
      ctx.GameState = "pausemenu";
    }
  } else {
    return false;
  }
  return true;
}

void MouseDeviceMotion(GameContext& ctx, int32_t dx, int32_t dy) {
  // Gathered in 64 bits and kept within int32: a flood of motion events must not overflow.
  auto add = [](int32_t a, int32_t b) { return int32_t(std::clamp<int64_t>(int64_t(a) + b, INT32_MIN, INT32_MAX)); };
  ctx.MouseDevice.PendingX = add(ctx.MouseDevice.PendingX, dx);
  ctx.MouseDevice.PendingY = add(ctx.MouseDevice.PendingY, dy);
  // While the pointer is captured the window reports no positions, yet the pointer the player
  // imagines moves on: it follows the device within the window, so a menu that opens in play
  // finds the cursor where the mouse went.
  if (ctx.Platform().PointerCaptured()) {
    const int32_t w = std::max(ctx.ViewportWidth, 1), h = std::max(ctx.ViewportHeight, 1);
    ctx.MouseX = int32_t(std::clamp<int64_t>(int64_t(ctx.MouseX) + dx, 0, w - 1));
    ctx.MouseY = int32_t(std::clamp<int64_t>(int64_t(ctx.MouseY) + dy, 0, h - 1));
  }
}

namespace {

// The menu direction the keys or the pad hold now, if any (the first found of up, down, left,
// right).
void HeldMenuDirection(const GameContext& ctx, int8_t& dx, int8_t& dy) {
  struct Way {
    Key key;
    PadControl dpad, stick;
    int8_t dx, dy;
  };
  static constexpr std::array<Way, 4> kWays = {{
      {Key::Up, PadControl::DpadUp, PadControl::LeftStickUp, 0, -1},
      {Key::Down, PadControl::DpadDown, PadControl::LeftStickDown, 0, 1},
      {Key::Left, PadControl::DpadLeft, PadControl::LeftStickLeft, -1, 0},
      {Key::Right, PadControl::DpadRight, PadControl::LeftStickRight, 1, 0},
  }};
  dx = dy = 0;
  for (const Way& w : kWays) {
    if (ctx.KeysDown[size_t(w.key)] || PadControlActive(ctx.Input.Pad, w.dpad) ||
        PadControlActive(ctx.Input.Pad, w.stick)) {
      dx = w.dx;
      dy = w.dy;
      return;
    }
  }
}

// The press itself moved the focus once; held on, the focus steps on after kFocusRepeatDelay and
// then every kFocusRepeatInterval, so a long list is walked without pressing for each row.
constexpr double kFocusRepeatDelay = 0.4;
constexpr double kFocusRepeatInterval = 0.1;

void RepeatHeldFocus(GameContext& ctx, double dt) {
  TMenuFocus& f = ctx.Input.Focus;
  int8_t dx = 0, dy = 0;
  if (MenuInputState(ctx)) HeldMenuDirection(ctx, dx, dy);
  if (dx != f.HeldDx || dy != f.HeldDy) {
    f.HeldDx = dx;
    f.HeldDy = dy;
    f.HeldSeconds = 0.0;
    return;
  }
  if (dx == 0 && dy == 0) return;
  f.HeldSeconds += dt;
  if (f.HeldSeconds >= kFocusRepeatDelay) {
    f.HeldSeconds -= kFocusRepeatInterval;
    interface::MoveMenuFocus(ctx, dx, dy);
  }
}

}  // namespace

void UpdateMouseDevice(GameContext& ctx) {
  TMouseDevice& m = ctx.MouseDevice;
  TInputState& in = ctx.Input;
  // The keys and the pad steer as a mouse moved at up to kSteerCountsPerSecond, so the ship
  // code, replays and the options' ship speed treat them as the mouse. Real time, not the
  // slowed world's.
  const int64_t now = ctx.Timers.ClockMs();
  const double dt = in.LastPollMs < 0 ? 0.0 : std::clamp(double(now - in.LastPollMs) / 1000.0, 0.0, 0.1);
  in.LastPollMs = now;
  const double left = SteerSide(ctx, Action::SteerLeft, in.SteerHeld[0], dt);
  const double right = SteerSide(ctx, Action::SteerRight, in.SteerHeld[1], dt);
  const double rate = (right - left) * kSteerCountsPerSecond;
  int32_t counts = 0;
  if (rate == 0.0) {
    in.SteerCarry = 0.0;
  } else {
    in.SteerCarry += rate * dt;
    counts = int32_t(std::trunc(in.SteerCarry));
    in.SteerCarry -= counts;
  }
  RepeatHeldFocus(ctx, dt);
  m.DeltaX = int32_t(std::clamp<int64_t>(int64_t(m.PendingX) + counts, INT32_MIN, INT32_MAX));
  m.DeltaY = m.PendingY;
  m.PendingX = m.PendingY = 0;
  m.Buttons = m.PendingButtons;
  m.Buttons[0] = m.Buttons[0] || ActionHeld(ctx, Action::Fire);
  m.Rockets = ActionHeld(ctx, Action::Rockets);
}

bool WantsPointerCaptured(const GameContext& ctx) {
  if (ctx.Deactivated) return false;  // the desktop has the pointer while the game is away
  if (ctx.Demo.Active) return false;  // the player's mouse is free to end a demo
  // Released whenever a box or a menu stands over play, so the pointer can reach its buttons.
  if (ctx.L.MessageDummy->Visible) return false;
  const std::string& s = ctx.GameState;
  return s == "game" || s == "levelintro" || s == "levelintro2";
}

void FormKeyDown(GameContext& ctx, Key key) {
  // A key pressed in the game's window means the window is back, whether or not the return itself
  // was seen (scripts and replays made before it was recorded).
  if (ctx.Deactivated) WindowActivated(ctx);
  const bool repeat = ctx.KeysDown[static_cast<size_t>(key)];
  // The controls page waiting for a key takes the next one, whatever it is.
  if (interface::InputPageTakesKey(ctx, key)) return;
  ctx.KeysDown[static_cast<size_t>(key)] = true;
  // Arrows and Enter in the menus: the focus moves between the buttons and Enter presses one.
  if (MenuInputState(ctx)) {
    switch (key) {
      case Key::Up: interface::MoveMenuFocus(ctx, 0, -1); break;
      case Key::Down: interface::MoveMenuFocus(ctx, 0, 1); break;
      case Key::Left: interface::MoveMenuFocus(ctx, -1, 0); break;
      case Key::Right: interface::MoveMenuFocus(ctx, 1, 0); break;
      // While a name is being typed Enter belongs to the name box (the frame's keys take it);
      // as a press it would land on whatever screen the name box gives way to.
      // A press the menus took is not left for the frame's polled keys either: Enter on
      // "[new player]" opens the name box, which must not take the same Enter as its Apply.
      case Key::Enter:
        if (!ctx.Menus.Edit1Visible) {
          BeginMenuPress(ctx, ctx.Input.KeyPressing);
          ctx.KeysDown[static_cast<size_t>(key)] = false;
        }
        break;
      default: break;
    }
  }
  if (key == Key::Backspace && ctx.Menus.Edit1Visible) interface::EraseNameChar(ctx);
  // Escape always offers a way out of the menus; in play it is read by the frame (pause menu).
  // A press the menus took is not seen again by the frame's polled keys (the pause menu).
  if (key == Key::Escape && !repeat && !ctx.CtrlHeld() && EscapeInMenus(ctx))
    ctx.KeysDown[static_cast<size_t>(key)] = false;
  if (key == Key::Escape && ctx.CtrlHeld()) {
    WindowDeactivated(ctx);
    ctx.Platform().MinimiseApplication();
  }
  if (KeyBoundTo(ctx, key, Action::Pause)) TogglePause(ctx);
}

void FormKeyUp(GameContext& ctx, Key key) {
  ctx.KeysDown[static_cast<size_t>(key)] = false;
  if (key == Key::Enter) EndMenuPress(ctx, ctx.Input.KeyPressing);
}

void PauseWhileAway(GameContext& ctx) {
  // A pause menu still sliding out after a resume would keep the pause screen from opening and
  // let the game run on unattended: the slide-out ends at once.
  if (ctx.GameState == "game" && ctx.L.PauseMenuDummyCube->Visible) interface::FinishPauseMenuClosing(ctx);
  if (ctx.GameState == "game" && !ctx.L.PauseMenuDummyCube->Visible) {
    ctx.GameState = "pause";
    ctx.L.PauseDummyCube->Visible = true;
    ctx.L.PauseBlur->Visible = true;
  }
}

void WindowDeactivated(GameContext& ctx) {
  PauseWhileAway(ctx);
  ctx.KeysDown.fill(false);
  // Keys and pad buttons let go while the window had no focus are never reported.
  ctx.Input.Pad.Buttons.fill(false);
  ctx.Input.Pad.Axes.fill(0);
  EndMenuPress(ctx, ctx.Input.KeyPressing);
  EndMenuPress(ctx, ctx.Input.PadPressing);
  ctx.Input.PadEscaping = false;
  ctx.Platform().SetPointerCaptured(false);
  // The music falls silent while the player is elsewhere; the frames may go on asking for their
  // volumes (the menu's fade), which are heard on the return.
  SetMusicMuted(true);
  ctx.Deactivated = true;
}

void WindowActivated(GameContext& ctx) {
  // Only a return: the first focus of a new window leaves the start-up's music alone.
  if (!ctx.Deactivated) return;
  ctx.Deactivated = false;
  // The music at its volume again (the option's in play); a paused game stays paused until P or
  // Pause.
  SetMusicMuted(false);
}

void Timer1Timer(GameContext& ctx) {
  // Frame rate.
  // Frames per second of the real clock the timers run on: slow motion slows the frame clock,
  // not the frames.
  const double now = double(ctx.Timers.ClockMs()) / 1000.0;
  if (ctx.Options.Fps) {
    double span = now - ctx.FpsResetTime;
    double fps = span > 0.0 ? ctx.FramesSinceFpsReset / span : 0.0;
    ctx.L.GLHUDText1->Text = "fps=" + std::to_string(data::RoundHalfEven(fps));
  }
  ctx.FramesSinceFpsReset = 0;
  ctx.FpsResetTime = now;
  // Per-second counters of play.
  if (ctx.GameState == "game") {
    combat::PlayerSecondTick(ctx);  // the hit shield and the shield time with the spheres
    combat::CountDownBonusTimers(ctx);  // satellite, slow motion, the three shot colours
  }
  // The two-tick level load.
  if (ctx.GameState == "loading") levels::LoadingStep(ctx);
}

void BumpFxTimerTimer(GameContext& ctx) {
  DispatchToScreens(ctx);
  HitShake(ctx);
}

void LevelTimerTimer(GameContext& ctx) {
  levels::LevelTimerTick(ctx);
}

void Timer2Timer(GameContext& ctx) { interface::CreditsTick(ctx); }

void FireTimer(GameContext& ctx, TimerId id) {
  if (ctx.Recorder) ctx.Recorder->Timer(id);
  switch (id) {
    case TimerId::Timer1: Timer1Timer(ctx); break;
    case TimerId::BumpFxTimer: BumpFxTimerTimer(ctx); break;
    case TimerId::LevelTimer: LevelTimerTimer(ctx); break;
    case TimerId::EnemiesTimer: break;  // enabled by nothing; does nothing
    case TimerId::Timer2: Timer2Timer(ctx); break;
    case TimerId::Count: break;
  }
}

namespace {

// The event itself, on whatever screen stands.
void ApplyEvent(GameContext& ctx, const InputEvent& e) {
  switch (e.Kind) {
    case InputEvent::Type::Move: GLSceneViewer1MouseMove(ctx, e.X, e.Y); break;
    case InputEvent::Type::Down: GLSceneViewer1MouseDown(ctx, e.Button); break;
    case InputEvent::Type::Up: GLSceneViewer1MouseUp(ctx, e.Button); break;
    case InputEvent::Type::Rel: MouseDeviceMotion(ctx, e.X, e.Y); break;
    case InputEvent::Type::KeyDown: FormKeyDown(ctx, e.KeyCode); break;
    case InputEvent::Type::KeyUp: FormKeyUp(ctx, e.KeyCode); break;
    case InputEvent::Type::Text:
      if (ctx.Menus.Edit1Visible) interface::TypeName(ctx, e.Chars);
      break;
    case InputEvent::Type::Deactivate: WindowDeactivated(ctx); break;
    case InputEvent::Type::Activate: WindowActivated(ctx); break;
    case InputEvent::Type::PadDown: PadButtonEvent(ctx, e.Pad, true); break;
    case InputEvent::Type::PadUp: PadButtonEvent(ctx, e.Pad, false); break;
    case InputEvent::Type::PadAxisMove: PadAxisEvent(ctx, e.Axis, e.X); break;
    case InputEvent::Type::PadAdded: PadConnection(ctx, true); break;
    case InputEvent::Type::PadRemoved: PadConnection(ctx, false); break;
  }
}

}  // namespace

void ApplyInputEvent(GameContext& ctx, const InputEvent& e) {
  // The demo's pilot flies anew in a replay; only what came from outside is recorded.
  if (ctx.Demo.PilotInput) {
    ApplyEvent(ctx, e);
    return;
  }
  if (ctx.Recorder) ctx.Recorder->Event(e);
  // The player's input ends a demo, and does nothing else.
  if (IsPlayerInput(ctx, e) && PlayerInputArrived(ctx)) return;
  ApplyEvent(ctx, e);
}

}  // namespace vlm::shell
