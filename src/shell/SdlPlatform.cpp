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
    case SDLK_UP: return Key::Up;
    case SDLK_DOWN: return Key::Down;
    case SDLK_SPACE: return Key::Space;
    case SDLK_TAB: return Key::Tab;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return Key::Shift;
    case SDLK_LALT:
    case SDLK_RALT: return Key::Alt;
    case SDLK_INSERT: return Key::Insert;
    case SDLK_DELETE: return Key::Delete;
    case SDLK_HOME: return Key::Home;
    case SDLK_END: return Key::End;
    case SDLK_PAGEUP: return Key::PageUp;
    case SDLK_PAGEDOWN: return Key::PageDown;
    case SDLK_COMMA: return Key::Comma;
    case SDLK_PERIOD: return Key::Period;
    case SDLK_SLASH: return Key::Slash;
    case SDLK_SEMICOLON: return Key::Semicolon;
    case SDLK_QUOTE: return Key::Quote;
    case SDLK_MINUS: return Key::Minus;
    case SDLK_EQUALS: return Key::Equals;
    case SDLK_LEFTBRACKET: return Key::LeftBracket;
    case SDLK_RIGHTBRACKET: return Key::RightBracket;
    case SDLK_BACKSLASH: return Key::Backslash;
    case SDLK_BACKQUOTE: return Key::Backquote;
    default: break;
  }
  if (key >= SDLK_a && key <= SDLK_z) {
    if (key == SDLK_p) return Key::P;
    // The letters but P follow one another from A.
    const int i = int(key - SDLK_a);
    return Key(int(Key::A) + (key < SDLK_p ? i : i - 1));
  }
  if (key >= SDLK_0 && key <= SDLK_9) return Key(int(Key::Num0) + int(key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F11) return Key(int(Key::F1) + int(key - SDLK_F1));
  return std::nullopt;
}

std::optional<PadButton> PadButtonFromSdl(Uint8 b) {
  switch (b) {
    case SDL_CONTROLLER_BUTTON_A: return PadButton::A;
    case SDL_CONTROLLER_BUTTON_B: return PadButton::B;
    case SDL_CONTROLLER_BUTTON_X: return PadButton::X;
    case SDL_CONTROLLER_BUTTON_Y: return PadButton::Y;
    case SDL_CONTROLLER_BUTTON_BACK: return PadButton::Back;
    case SDL_CONTROLLER_BUTTON_GUIDE: return PadButton::Guide;
    case SDL_CONTROLLER_BUTTON_START: return PadButton::Start;
    case SDL_CONTROLLER_BUTTON_LEFTSTICK: return PadButton::LeftStick;
    case SDL_CONTROLLER_BUTTON_RIGHTSTICK: return PadButton::RightStick;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER: return PadButton::LeftShoulder;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER: return PadButton::RightShoulder;
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return PadButton::DpadUp;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return PadButton::DpadDown;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return PadButton::DpadLeft;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return PadButton::DpadRight;
    default: return std::nullopt;
  }
}

std::optional<PadAxis> PadAxisFromSdl(Uint8 a) {
  switch (a) {
    case SDL_CONTROLLER_AXIS_LEFTX: return PadAxis::LeftX;
    case SDL_CONTROLLER_AXIS_LEFTY: return PadAxis::LeftY;
    case SDL_CONTROLLER_AXIS_RIGHTX: return PadAxis::RightX;
    case SDL_CONTROLLER_AXIS_RIGHTY: return PadAxis::RightY;
    case SDL_CONTROLLER_AXIS_TRIGGERLEFT: return PadAxis::LeftTrigger;
    case SDL_CONTROLLER_AXIS_TRIGGERRIGHT: return PadAxis::RightTrigger;
    default: return std::nullopt;
  }
}

void StartControllers(const std::filesystem::path& userMappings) {
  // SDL reads SDL_GAMECONTROLLERCONFIG (and SDL_GAMECONTROLLERCONFIG_FILE) itself; a
  // "gamecontrollerdb.txt" in the player's folder adds mappings for pads SDL does not know.
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    std::fprintf(stderr, "velmora2: no game controllers: %s\n", SDL_GetError());
    return;
  }
  std::error_code ec;
  if (std::filesystem::is_regular_file(userMappings, ec) &&
      SDL_GameControllerAddMappingsFromFile(userMappings.string().c_str()) < 0)
    std::fprintf(stderr, "velmora2: %s: %s\n", userMappings.string().c_str(), SDL_GetError());
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
    // Controllers: opened as they are plugged in (SDL reports those present at start as added
    // too), and every one steers the same ship.
    case SDL_CONTROLLERDEVICEADDED:
      if (SDL_GameControllerOpen(ev.cdevice.which)) apply(InputEvent::Type::PadAdded);
      break;
    case SDL_CONTROLLERDEVICEREMOVED:
      if (SDL_GameController* pad = SDL_GameControllerFromInstanceID(ev.cdevice.which)) SDL_GameControllerClose(pad);
      apply(InputEvent::Type::PadRemoved);
      break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      if (auto b = PadButtonFromSdl(ev.cbutton.button)) {
        e.Pad = *b;
        apply(ev.type == SDL_CONTROLLERBUTTONDOWN ? InputEvent::Type::PadDown : InputEvent::Type::PadUp);
      }
      break;
    case SDL_CONTROLLERAXISMOTION:
      if (auto a = PadAxisFromSdl(ev.caxis.axis)) {
        e.Axis = *a;
        e.X = ev.caxis.value;
        apply(InputEvent::Type::PadAxisMove);
      }
      break;
    case SDL_WINDOWEVENT:
      if (ev.window.event == SDL_WINDOWEVENT_FOCUS_LOST || ev.window.event == SDL_WINDOWEVENT_MINIMIZED)
        apply(InputEvent::Type::Deactivate);
      break;
    default: break;
  }
}

}  // namespace vlm::shell
