#include "context/Keys.h"

#include <array>
#include <cstddef>

namespace vlm {

namespace {
constexpr std::array<std::string_view, static_cast<size_t>(Key::Count)> kKeyNames = {
    "Escape", "Enter", "F12", "PrintScreen", "P", "Pause", "Ctrl", "Left", "Right", "Backspace",
    "Up", "Down", "Space", "Tab", "Shift", "Alt", "Insert", "Delete", "Home", "End", "PageUp", "PageDown",
    "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O", "Q", "R", "S", "T", "U", "V", "W",
    "X", "Y", "Z",
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9",
    "Comma", "Period", "Slash", "Semicolon", "Quote", "Minus", "Equals", "LeftBracket", "RightBracket",
    "Backslash", "Backquote",
    "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11"};
constexpr std::array<std::string_view, static_cast<size_t>(PadButton::Count)> kPadButtonNames = {
    "A", "B", "X", "Y", "Back", "Guide", "Start", "LeftStick", "RightStick", "LeftShoulder", "RightShoulder",
    "DpadUp", "DpadDown", "DpadLeft", "DpadRight"};
constexpr std::array<std::string_view, static_cast<size_t>(PadAxis::Count)> kPadAxisNames = {
    "LeftX", "LeftY", "RightX", "RightY", "LeftTrigger", "RightTrigger"};

template <class E, size_t N>
std::optional<E> Find(const std::array<std::string_view, N>& names, std::string_view name) {
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == name) return static_cast<E>(i);
  return std::nullopt;
}
}  // namespace

std::string_view KeyName(Key k) { return kKeyNames[static_cast<size_t>(k)]; }
std::optional<Key> KeyFromName(std::string_view name) { return Find<Key>(kKeyNames, name); }
std::string_view PadButtonName(PadButton b) { return kPadButtonNames[static_cast<size_t>(b)]; }
std::optional<PadButton> PadButtonFromName(std::string_view name) { return Find<PadButton>(kPadButtonNames, name); }
std::string_view PadAxisName(PadAxis a) { return kPadAxisNames[static_cast<size_t>(a)]; }
std::optional<PadAxis> PadAxisFromName(std::string_view name) { return Find<PadAxis>(kPadAxisNames, name); }

}  // namespace vlm
