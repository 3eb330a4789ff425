#pragma once
// The small borderless window shown while the game loads: the loading picture with a progress
// bar and its caption, centred on the screen and kept on top. Drawn in software through SDL, so
// it needs no graphics context of its own.
#include <SDL.h>

#include <string>

#include "scene/Image.h"

namespace vlm { struct GameContext; }

namespace vlm::shell {

class LoadingWindow {
 public:
  static constexpr int kWidth = 651, kHeight = 490;
  // The bar: left 24, top 352, 609 by 16.
  static constexpr int kBarX = 24, kBarY = 352, kBarW = 609, kBarH = 16;

  LoadingWindow();
  ~LoadingWindow();
  // Shows the window with the picture and the font of the mounted content; false when no window
  // can be opened (the game then loads without one).
  bool Open(GameContext& ctx);
  bool IsOpen() const { return window_ != nullptr; }
  // Percent 0..100 (above 100 counts as 100), drawn at once with the caption under the bar.
  void SetProgress(double percent, const std::string& caption);
  double Percent() const { return percent_; }
  const std::string& Caption() const { return caption_; }
  void Close();

 private:
  void Draw(bool whole);
  SDL_Window* window_ = nullptr;
  SDL_Surface* picture_ = nullptr;  // the loading picture at the window's size
  SDL_Surface* font_ = nullptr;     // the font sheet as white letters with alpha
  int fontCell_ = 64;
  double percent_ = 0.0;
  int shownPercent_ = -1;  // what the bar shows, to draw only what changed
  std::string caption_ = "...loading...", shownCaption_;
};

}  // namespace vlm::shell
