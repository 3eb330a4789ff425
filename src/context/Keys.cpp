#include "context/Keys.h"

#include <array>
#include <cstddef>

namespace vlm {

namespace {
constexpr std::array<std::string_view, static_cast<size_t>(Key::Count)> kKeyNames = {
    "Escape", "Enter", "F12", "PrintScreen", "P", "Pause", "Ctrl", "Left", "Right", "Backspace"};
}  // namespace

std::string_view KeyName(Key k) { return kKeyNames[static_cast<size_t>(k)]; }

std::optional<Key> KeyFromName(std::string_view name) {
  for (size_t i = 0; i < kKeyNames.size(); ++i)
    if (kKeyNames[i] == name) return static_cast<Key>(i);
  return std::nullopt;
}

}  // namespace vlm
