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
// Every field is checked: times 0 to kMaxEventTimeMs, coordinates and counts within
// ±kMaxEventCoordinate, text of at most kMaxEventTextBytes printable characters.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "context/Keys.h"

namespace vlm::shell {

enum class MouseButton : uint8_t { Left, Right, Middle };

struct InputEvent {
  enum class Type : uint8_t { Move, Down, Up, Rel, KeyDown, KeyUp, Text, Deactivate, Activate };
  int64_t TimeMs = 0;
  Type Kind = Type::Move;
  int32_t X = 0, Y = 0;
  MouseButton Button = MouseButton::Left;
  Key KeyCode = Key::Escape;
  std::string Chars;
};

inline constexpr int64_t kMaxEventTimeMs = 100LL * 24 * 3600 * 1000;  // a hundred days of play
inline constexpr int32_t kMaxEventCoordinate = 1000000;
inline constexpr size_t kMaxEventTextBytes = 256;
// The most bytes a script or a replay file may have (about four hours of recorded play).
inline constexpr uint64_t kMaxInputFileBytes = 64ull << 20;

// Parses a script; throws std::runtime_error naming the file and line on a malformed event.
// Control characters of the file are escaped in the message.
std::vector<InputEvent> ParseInputScript(std::string_view text, std::string_view sourceName);
// One event line ("<ms> <event> ..."); nothing, and `why` says what is wrong, when malformed.
std::optional<InputEvent> ParseInputEvent(std::string_view line, std::string& why);
// The whole of a script or replay file; throws std::runtime_error naming the file when it is
// missing, not a regular file (a FIFO is refused without waiting on it), unreadable or larger
// than kMaxInputFileBytes.
std::string ReadInputFile(const std::string& file, std::string_view what);
std::string FormatInputEvent(const InputEvent& e);

}  // namespace vlm::shell
