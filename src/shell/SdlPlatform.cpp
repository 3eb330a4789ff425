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
      else if (ev.window.event == SDL_WINDOWEVENT_FOCUS_GAINED || ev.window.event == SDL_WINDOWEVENT_RESTORED)
        apply(InputEvent::Type::Activate);
      break;
    default: break;
  }
}

}  // namespace vlm::shell
