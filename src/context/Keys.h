#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace vlm {

// The keys the game reads, by state (polled each frame) or by key-down event.
enum class Key : uint8_t { Escape, Enter, F12, PrintScreen, P, Pause, Ctrl, Left, Right, Backspace, Count };

std::string_view KeyName(Key k);
std::optional<Key> KeyFromName(std::string_view name);

}  // namespace vlm
