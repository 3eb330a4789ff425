#include "shell/Input.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>

#include "data/Numbers.h"
#include "shell/FrameLoop.h"
#include "context/GameContext.h"
#include "shell/Replay.h"
#include "combat/Bonuses.h"
#include "combat/Player.h"
#include "interface/ChangePlayer.h"
#include "interface/CreditsDialog.h"
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

}  // namespace

void GLSceneViewer1MouseMove(GameContext& ctx, int32_t x, int32_t y) {
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

void UpdateMouseDevice(GameContext& ctx) {
  TMouseDevice& m = ctx.MouseDevice;
  m.DeltaX = m.PendingX;
  m.DeltaY = m.PendingY;
  m.PendingX = m.PendingY = 0;
  m.Buttons = m.PendingButtons;
}

bool WantsPointerCaptured(const GameContext& ctx) {
  if (ctx.Deactivated) return false;  // the desktop has the pointer while the game is away
  const std::string& s = ctx.GameState;
  return s == "game" || s == "levelintro" || s == "levelintro2";
}

void FormKeyDown(GameContext& ctx, Key key) {
  // A key pressed in the game's window means the window is back, whether or not the return itself
  // was seen (scripts and replays made before it was recorded).
  if (ctx.Deactivated) WindowActivated(ctx);
  const bool repeat = ctx.KeysDown[static_cast<size_t>(key)];
  ctx.KeysDown[static_cast<size_t>(key)] = true;
  if (key == Key::Backspace && ctx.Menus.Edit1Visible) interface::EraseNameChar(ctx);
  // Escape always offers a way out of the menus; in play it is read by the frame (pause menu).
  // A press the menus took is not seen again by the frame's polled keys (the pause menu).
  if (key == Key::Escape && !repeat && !ctx.CtrlHeld() && EscapeInMenus(ctx))
    ctx.KeysDown[static_cast<size_t>(key)] = false;
  if (key == Key::Escape && ctx.CtrlHeld()) {
    WindowDeactivated(ctx);
    ctx.Platform().MinimiseApplication();
  }
  if ((key == Key::Pause || key == Key::P) && !ctx.L.PauseMenuDummyCube->Visible) {
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
}

void FormKeyUp(GameContext& ctx, Key key) { ctx.KeysDown[static_cast<size_t>(key)] = false; }

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

void ApplyInputEvent(GameContext& ctx, const InputEvent& e) {
  if (ctx.Recorder) ctx.Recorder->Event(e);
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
  }
}

}  // namespace vlm::shell
