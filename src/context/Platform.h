#pragma once
// What the game asks of the machine it runs on: the real SDL window, or the headless driver.
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/DisplayModes.h"

namespace vlm {

class IPlatform {
 public:
  virtual ~IPlatform() = default;
  // A modal error or information box. Headless platforms print it and keep it for tests.
  virtual void ShowError(std::string_view title, std::string_view text) = 0;
  // In play the pointer is captured (relative mode) so the ship keeps steering at the window's edge.
  virtual void SetPointerCaptured(bool captured) = 0;
  virtual bool PointerCaptured() const = 0;
  virtual void MinimiseApplication() = 0;
  virtual void RequestQuit() = 0;
  virtual bool QuitRequested() const = 0;
  // Saves the last drawn frame as a 24-bit BMP; false when it cannot (no window, disk full).
  virtual bool SaveScreenshot(const std::filesystem::path& file) = 0;
  // Shows the game's picture of width by height pixels: in a window of that size, centred on the
  // desktop, or (full screen) over the whole desktop, scaled to fit with black bars, without
  // changing the monitor's mode. False when the mode cannot be set: the window stays as it was
  // and `why` says what went wrong.
  virtual bool SetDisplayMode(int width, int height, bool fullScreen, std::string& why) = 0;
  // Whether the game covers the desktop (as opposed to standing in a window).
  virtual bool FullScreen() const = 0;
  // The display's modes as the system lists them (for "supportres.txt").
  virtual std::vector<data::TDisplayMode> DisplayModes() const = 0;
};

// The platform of tests, tools and replays: no window, everything recorded.
class HeadlessPlatform final : public IPlatform {
 public:
  void ShowError(std::string_view title, std::string_view text) override;
  void SetPointerCaptured(bool captured) override { captured_ = captured; }
  bool PointerCaptured() const override { return captured_; }
  void MinimiseApplication() override { ++minimiseCount_; }
  void RequestQuit() override { quit_ = true; }
  bool QuitRequested() const override { return quit_; }
  // No pixels without a window: the request is only remembered.
  bool SaveScreenshot(const std::filesystem::path& file) override {
    screenshots_.push_back(file);
    return false;
  }

  // A mode listed in RefusedModes is refused, as a display that cannot show it would.
  bool SetDisplayMode(int width, int height, bool fullScreen, std::string& why) override;
  std::vector<data::TDisplayMode> DisplayModes() const override { return Modes; }
  int ModeWidth() const { return modeWidth_; }
  int ModeHeight() const { return modeHeight_; }
  bool FullScreen() const override { return fullScreen_; }
  int ModeChanges() const { return modeChanges_; }  // modes set, refusals not counted
  int ModeRefusals() const { return modeRefusals_; }
  std::vector<std::pair<int, int>> RefusedModes;
  std::vector<data::TDisplayMode> Modes;  // what DisplayModes() lists

  const std::vector<std::string>& Errors() const { return errors_; }
  const std::vector<std::filesystem::path>& Screenshots() const { return screenshots_; }
  int MinimiseCount() const { return minimiseCount_; }
  bool echo = true;  // also print errors on standard error

 private:
  std::vector<std::string> errors_;
  std::vector<std::filesystem::path> screenshots_;
  bool captured_ = false;
  bool quit_ = false;
  int minimiseCount_ = 0;
  int modeWidth_ = 0, modeHeight_ = 0, modeChanges_ = 0, modeRefusals_ = 0;
  bool fullScreen_ = false;
};

}  // namespace vlm
