#include "shell/SdlPlatform.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>

#include "context/GameContext.h"
#include "data/Options.h"
#include "scene/Letterbox.h"

namespace vlm::shell {

void SdlPlatform::ShowError(std::string_view title, std::string_view text) {
  std::string t(title), m(text);
  std::fprintf(stderr, "%s: %s\n", t.c_str(), m.c_str());
  // Never block a full-screen game behind a box it cannot show.
  if (window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN)) return;
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, t.c_str(), m.c_str(), window_);
}

void SdlPlatform::SetPointerCaptured(bool captured) {
  captured_ = captured;
  SDL_SetRelativeMouseMode(captured ? SDL_TRUE : SDL_FALSE);
  if (!captured && window_ && pointerX_ >= 0) {
    // The system pointer appears where the game's cursor is, through the letterbox.
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    const scene::TLetterbox box = scene::FitPicture(w, h, pictureWidth_, pictureHeight_);
    int x = 0, y = 0;
    scene::PictureToOutput(box, pictureWidth_, pictureHeight_, pointerX_, pointerY_, x, y);
    SDL_WarpMouseInWindow(window_, x, y);
  }
}

void SdlPlatform::WindowToPicture(int windowX, int windowY, int& x, int& y) const {
  int w = pictureWidth_, h = pictureHeight_;
  if (window_) SDL_GetWindowSize(window_, &w, &h);
  const scene::TLetterbox box = scene::FitPicture(w, h, pictureWidth_, pictureHeight_);
  scene::OutputToPicture(box, pictureWidth_, pictureHeight_, windowX, windowY, x, y);
}

bool SdlPlatform::SaveScreenshot(const std::filesystem::path& file) {
  return ScreenshotWriter && ScreenshotWriter(file);
}

void SdlPlatform::MinimiseApplication() {
  if (window_) SDL_MinimizeWindow(window_);
}

bool SdlPlatform::SetDisplayMode(int width, int height, bool fullScreen, std::string& why) {
  if (!window_) {
    why = "there is no window";
    return false;
  }
  if (width <= 0 || height <= 0) {
    why = "no such size";
    return false;
  }
  const int display = std::max(0, SDL_GetWindowDisplayIndex(window_));
  const Uint32 flags = SDL_GetWindowFlags(window_);
  if (fullScreen) {
    // The whole desktop at the monitor's own mode; the renderer scales the picture into it.
    // The window's size is kept for leaving full screen.
    SDL_SetWindowSize(window_, width, height);
    if ((flags & SDL_WINDOW_FULLSCREEN_DESKTOP) != SDL_WINDOW_FULLSCREEN_DESKTOP &&
        SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
      why = std::string("full screen refused: ") + SDL_GetError();
      return false;
    }
  } else {
    // A window the display cannot hold whole would hide part of the picture.
    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(display, &bounds) == 0 && (width > bounds.w || height > bounds.h)) {
      why = "a " + std::to_string(width) + "x" + std::to_string(height) + " window does not fit the " +
            std::to_string(bounds.w) + "x" + std::to_string(bounds.h) + " display";
      return false;
    }
    if ((flags & SDL_WINDOW_FULLSCREEN) && SDL_SetWindowFullscreen(window_, 0) != 0) {
      why = std::string("leaving full screen refused: ") + SDL_GetError();
      return false;
    }
    SDL_SetWindowSize(window_, width, height);
    SDL_SetWindowPosition(window_, int(SDL_WINDOWPOS_CENTERED_DISPLAY(display)),
                          int(SDL_WINDOWPOS_CENTERED_DISPLAY(display)));
  }
  pictureWidth_ = width;
  pictureHeight_ = height;
  return true;
}

bool SdlPlatform::FullScreen() const { return window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN); }

std::vector<data::TDisplayMode> SdlPlatform::DisplayModes() const {
  std::vector<data::TDisplayMode> modes;
  const int display = window_ ? std::max(0, SDL_GetWindowDisplayIndex(window_)) : 0;
  const int count = SDL_GetNumDisplayModes(display);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode m{};
    if (SDL_GetDisplayMode(display, i, &m) == 0)
      modes.push_back({m.w, m.h, int32_t(SDL_BITSPERPIXEL(m.format))});
  }
  return modes;
}

std::optional<Key> KeyFromSdl(SDL_Keycode key) {
  switch (key) {
    case SDLK_ESCAPE: return Key::Escape;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return Key::Enter;
    case SDLK_F12: return Key::F12;
    case SDLK_PRINTSCREEN: return Key::PrintScreen;
    case SDLK_p: return Key::P;
    case SDLK_PAUSE: return Key::Pause;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return Key::Ctrl;
    case SDLK_LEFT: return Key::Left;
    case SDLK_RIGHT: return Key::Right;
    case SDLK_BACKSPACE: return Key::Backspace;
    default: return std::nullopt;
  }
}

namespace {
std::optional<MouseButton> ButtonFromSdl(Uint8 b) {
  switch (b) {
    case SDL_BUTTON_LEFT: return MouseButton::Left;
    case SDL_BUTTON_RIGHT: return MouseButton::Right;
    case SDL_BUTTON_MIDDLE: return MouseButton::Middle;
    default: return std::nullopt;
  }
}
}  // namespace

void ToggleFullScreen(GameContext& ctx) {
  IPlatform& platform = ctx.Platform();
  auto* sdl = dynamic_cast<SdlPlatform*>(&platform);
  if (!sdl) return;
  const bool on = !platform.FullScreen();
  std::string why;
  if (!platform.SetDisplayMode(sdl->PictureWidth(), sdl->PictureHeight(), on, why)) {
    std::fprintf(stderr, "velmora2: %s\n", why.c_str());
    return;
  }
  // Kept for the next start. An options dialog that is open keeps its own edits for Apply or
  // Cancel; the file gets the options in effect.
  const bool editing = ctx.GameState == "options" || ctx.GameState == "pm_options";
  ctx.Options.FullScreen = ctx.OptionsBackup.FullScreen = on;
  try {
    data::SaveOptions(*ctx.Data, editing ? ctx.OptionsBackup : ctx.Options, ctx.Player);
  } catch (const std::exception& e) {
    platform.ShowError("Velmora 2", e.what());
  }
}

void HandleSdlEvent(GameContext& ctx, const SDL_Event& ev) {
  // Alt+Enter and F11 switch between the window and full screen: the picture stays the same, so
  // the game itself (and a replay) never sees it.
  if (ev.type == SDL_KEYDOWN && !ev.key.repeat &&
      (ev.key.keysym.sym == SDLK_F11 ||
       ((ev.key.keysym.sym == SDLK_RETURN || ev.key.keysym.sym == SDLK_KP_ENTER) && (ev.key.keysym.mod & KMOD_ALT)))) {
    ToggleFullScreen(ctx);
    return;
  }
  // Everything the game is given goes through ApplyInputEvent, so replays see it all.
  InputEvent e;
  auto apply = [&ctx, &e](InputEvent::Type type) {
    e.Kind = type;
    ApplyInputEvent(ctx, e);
  };
  switch (ev.type) {
    case SDL_QUIT: ctx.Platform().RequestQuit(); break;
    case SDL_MOUSEMOTION:
      if (ev.motion.xrel || ev.motion.yrel) {
        e.X = ev.motion.xrel;
        e.Y = ev.motion.yrel;
        apply(InputEvent::Type::Rel);  // while captured this also moves the game's pointer
        if (ctx.Platform().PointerCaptured())
          if (auto* sdl = dynamic_cast<SdlPlatform*>(&ctx.Platform())) sdl->NotePointer(ctx.MouseX, ctx.MouseY);
      }
      // In relative mode the pointer stays put; the window position is only meaningful without it.
      if (!ctx.Platform().PointerCaptured()) {
        e.X = ev.motion.x;
        e.Y = ev.motion.y;
        // The game's pixels, through the letterbox of a full-screen (or resized) window.
        if (auto* sdl = dynamic_cast<SdlPlatform*>(&ctx.Platform())) sdl->WindowToPicture(ev.motion.x, ev.motion.y, e.X, e.Y);
        apply(InputEvent::Type::Move);
      }
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (auto b = ButtonFromSdl(ev.button.button)) {
        e.Button = *b;
        apply(ev.type == SDL_MOUSEBUTTONDOWN ? InputEvent::Type::Down : InputEvent::Type::Up);
      }
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      if (ev.key.repeat) break;
      if (auto k = KeyFromSdl(ev.key.keysym.sym)) {
        e.KeyCode = *k;
        apply(ev.type == SDL_KEYDOWN ? InputEvent::Type::KeyDown : InputEvent::Type::KeyUp);
      }
      break;
    case SDL_TEXTINPUT:
      e.Chars = ev.text.text;
      apply(InputEvent::Type::Text);
      break;
    case SDL_WINDOWEVENT:
      if (ev.window.event == SDL_WINDOWEVENT_FOCUS_LOST || ev.window.event == SDL_WINDOWEVENT_MINIMIZED)
        apply(InputEvent::Type::Deactivate);
      else if (ev.window.event == SDL_WINDOWEVENT_FOCUS_GAINED || ev.window.event == SDL_WINDOWEVENT_RESTORED)
        apply(InputEvent::Type::Activate);
      break;
    default: break;
  }
}

}  // namespace vlm::shell
