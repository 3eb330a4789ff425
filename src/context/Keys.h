#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace vlm {

// The keys the game reads, by state (polled each frame) or by key-down event. The first ten
// are the game's fixed keys; the rest may be chosen for the controls of play (Controls.h).
enum class Key : uint8_t {
  Escape, Enter, F12, PrintScreen, P, Pause, Ctrl, Left, Right, Backspace,
  Up, Down, Space, Tab, Shift, Alt, Insert, Delete, Home, End, PageUp, PageDown,
  A, B, C, D, E, F, G, H, I, J, K, L, M, N, O, Q, R, S, T, U, V, W, X, Y, Z,
  Num0, Num1, Num2, Num3, Num4, Num5, Num6, Num7, Num8, Num9,
  Comma, Period, Slash, Semicolon, Quote, Minus, Equals, LeftBracket, RightBracket, Backslash, Backquote,
  F1, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11,
  Count
};

std::string_view KeyName(Key k);
std::optional<Key> KeyFromName(std::string_view name);

// The game controller (SDL's game-controller layout: a pad of the Xbox kind).
enum class PadButton : uint8_t {
  A, B, X, Y, Back, Guide, Start, LeftStick, RightStick, LeftShoulder, RightShoulder,
  DpadUp, DpadDown, DpadLeft, DpadRight, Count
};
enum class PadAxis : uint8_t { LeftX, LeftY, RightX, RightY, LeftTrigger, RightTrigger, Count };

std::string_view PadButtonName(PadButton b);
std::optional<PadButton> PadButtonFromName(std::string_view name);
std::string_view PadAxisName(PadAxis a);
std::optional<PadAxis> PadAxisFromName(std::string_view name);

}  // namespace vlm
