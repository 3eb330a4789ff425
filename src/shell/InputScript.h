#pragma once
// Recorded input: a plain-text list of timed events that the headless driver feeds to the game,
// so tests, tools and replays play the real game deterministically.
//
// One event per line, blank lines and lines starting with '#' ignored:
//   <ms> move <x> <y>          pointer moved to window pixel (x, y)
//   <ms> down left|right|middle
//   <ms> up left|right|middle
//   <ms> rel <dx> <dy>         relative movement of the mouse device (counts)
//   <ms> key <name> down|up    name: Escape Enter F12 PrintScreen P Pause Ctrl Left Right
//   <ms> text <characters>     typed text (name entry)
//   <ms> deactivate            the window lost the focus or was minimised
// Times are milliseconds of virtual time from the start of the run and must not decrease.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/Keys.h"

namespace vlm::shell {

enum class MouseButton : uint8_t { Left, Right, Middle };

struct InputEvent {
  enum class Type : uint8_t { Move, Down, Up, Rel, KeyDown, KeyUp, Text, Deactivate };
  int64_t TimeMs = 0;
  Type Kind = Type::Move;
  int32_t X = 0, Y = 0;
  MouseButton Button = MouseButton::Left;
  Key KeyCode = Key::Escape;
  std::string Chars;
};

// Parses a script; throws std::runtime_error naming the line on a malformed event.
std::vector<InputEvent> ParseInputScript(std::string_view text, std::string_view sourceName);
std::string FormatInputEvent(const InputEvent& e);

}  // namespace vlm::shell
