#include "context/Platform.h"

#include <cstdio>
#include <string>

namespace vlm {

void HeadlessPlatform::ShowError(std::string_view title, std::string_view text) {
  errors_.emplace_back(text);
  if (echo) std::fprintf(stderr, "%.*s: %.*s\n", int(title.size()), title.data(), int(text.size()), text.data());
}

bool HeadlessPlatform::SetDisplayMode(int width, int height, bool fullScreen, std::string& why) {
  for (const auto& [w, h] : RefusedModes) {
    if (w == width && h == height) {
      ++modeRefusals_;
      why = "the display cannot show " + std::to_string(width) + "x" + std::to_string(height);
      return false;
    }
  }
  modeWidth_ = width;
  modeHeight_ = height;
  fullScreen_ = fullScreen;
  ++modeChanges_;
  return true;
}

}  // namespace vlm
