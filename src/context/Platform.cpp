#include "context/Platform.h"

#include <cstdio>

namespace vlm {

void HeadlessPlatform::ShowError(std::string_view title, std::string_view text) {
  errors_.emplace_back(text);
  if (echo) std::fprintf(stderr, "%.*s: %.*s\n", int(title.size()), title.data(), int(text.size()), text.data());
}

}  // namespace vlm
