#pragma once
// The platform of the windowed game: an SDL2 window with an OpenGL context.
#include <SDL.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "shell/Input.h"
#include "context/Platform.h"

namespace vlm::shell {

class SdlPlatform final : public IPlatform {
 public:
  explicit SdlPlatform(SDL_Window* window = nullptr) : window_(window) {}
  void SetWindow(SDL_Window* window) { window_ = window; }

  void ShowError(std::string_view title, std::string_view text) override;
  void SetPointerCaptured(bool captured) override;
  bool PointerCaptured() const override { return captured_; }
  void MinimiseApplication() override;
  void RequestQuit() override { quit_ = true; }
  bool QuitRequested() const override { return quit_; }
  bool SaveScreenshot(const std::filesystem::path& file) override;
  // Where the game's pointer is while captured: the system pointer is put there on release.
  void NotePointer(int x, int y) {
    pointerX_ = x;
    pointerY_ = y;
  }
  bool SetDisplayMode(int width, int height, bool fullScreen, std::string& why) override;
  bool FullScreen() const override;
  std::vector<data::TDisplayMode> DisplayModes() const override;
  // A window position (SDL's window coordinates) to the game picture's pixels, through the
  // letterbox the picture is drawn in; positions over the black bars stand at the nearest edge.
  void WindowToPicture(int windowX, int windowY, int& x, int& y) const;
  int PictureWidth() const { return pictureWidth_; }
  int PictureHeight() const { return pictureHeight_; }
  // Reads back the last frame; set by the game once its renderer exists.
  std::function<bool(const std::filesystem::path&)> ScreenshotWriter;

 private:
  SDL_Window* window_;
  bool captured_ = false;
  bool quit_ = false;
  int pointerX_ = -1, pointerY_ = -1;        // picture pixels
  int pictureWidth_ = 1024, pictureHeight_ = 768;  // the game's picture, whatever the window's size
};

// Maps an SDL key to one of the game's keys.
std::optional<Key> KeyFromSdl(SDL_Keycode key);
// Between a window and full screen at the same picture (Alt+Enter, F11); the choice is saved as
// the options' "ff".
void ToggleFullScreen(GameContext& ctx);
// Translates one SDL event into the game's input, window and focus handling.
void HandleSdlEvent(GameContext& ctx, const SDL_Event& event);

}  // namespace vlm::shell
