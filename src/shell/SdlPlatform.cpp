#include "shell/SdlPlatform.h"

#include <cstdio>
#include <string>

#include "context/GameContext.h"

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
  if (!captured && window_ && pointerX_ >= 0) SDL_WarpMouseInWindow(window_, pointerX_, pointerY_);
}

bool SdlPlatform::SaveScreenshot(const std::filesystem::path& file) {
  return ScreenshotWriter && ScreenshotWriter(file);
}

void SdlPlatform::MinimiseApplication() {
  if (window_) SDL_MinimizeWindow(window_);
}

void SdlPlatform::SetDisplayMode(int width, int height) {
  if (!window_ || width <= 0 || height <= 0) return;
  if (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) {
    SDL_DisplayMode mode{};
    if (SDL_GetWindowDisplayMode(window_, &mode) == 0) {
      mode.w = width;
      mode.h = height;
      SDL_SetWindowDisplayMode(window_, &mode);
    }
  }
  SDL_SetWindowSize(window_, width, height);
  SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
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

void HandleSdlEvent(GameContext& ctx, const SDL_Event& ev) {
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
      break;
    default: break;
  }
}

}  // namespace vlm::shell
