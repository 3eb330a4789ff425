#pragma once
// The controls of play for the keyboard and the game controller: which keys and pad controls
// fire the guns, fire the rockets, pause and steer. Each action has two places per device.
// They live in the options file "game.ini" in a section of their own, "CONTROLS", beside the
// settings the options screen keeps; a file without it plays with the defaults.
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "context/Keys.h"

namespace vlm::data { class DataStore; }

namespace vlm {

enum class Action : uint8_t { Fire, Rockets, Pause, SteerLeft, SteerRight, Count };
inline constexpr size_t kActionCount = static_cast<size_t>(Action::Count);
inline constexpr size_t kSlotsPerAction = 2;

// What a controller can give an action: one of its buttons, a trigger pulled past half way, or
// a stick pushed one way past its dead zone.
enum class PadControl : uint8_t {
  A, B, X, Y, Back, Guide, Start, LeftStick, RightStick, LeftShoulder, RightShoulder,
  DpadUp, DpadDown, DpadLeft, DpadRight,
  LeftTrigger, RightTrigger,
  LeftStickLeft, LeftStickRight, LeftStickUp, LeftStickDown,
  RightStickLeft, RightStickRight, RightStickUp, RightStickDown,
  Count
};

// A bound key or pad control, or nothing (an empty place).
struct TBinding {
  bool Keyboard = true;
  uint8_t Code = 0xFF;  // a Key or a PadControl; 0xFF: nothing
  bool Empty() const { return Code == 0xFF; }
  bool operator==(const TBinding&) const = default;
  static TBinding OfKey(Key k) { return {true, uint8_t(k)}; }
  static TBinding OfPad(PadControl c) { return {false, uint8_t(c)}; }
};

struct TControls {
  // [action][place]
  std::array<std::array<TBinding, kSlotsPerAction>, kActionCount> Keys{};
  std::array<std::array<TBinding, kSlotsPerAction>, kActionCount> Pad{};
  bool operator==(const TControls&) const = default;
  auto& Of(bool keyboard) { return keyboard ? Keys : Pad; }
  const auto& Of(bool keyboard) const { return keyboard ? Keys : Pad; }
};

// Keyboard: fire Space, rockets X (or Shift), pause P (or Pause), steering Left/A and Right/D.
// Pad: fire A or the right trigger, rockets B or the left trigger, pause Start, steering the
// left stick and the d-pad.
TControls DefaultControls();

// "fire", "rockets", "pause", "steer left", "steer right".
std::string_view ActionName(Action a);
std::string_view PadControlName(PadControl c);
std::optional<PadControl> PadControlFromName(std::string_view name);
// How a binding is shown and stored: the key's or control's name, "" for nothing.
std::string BindingName(const TBinding& b);
// Keys kept for the menus, the screenshots and the name entry; they cannot be chosen.
bool KeyIsReserved(Key k);
// The pad's Back and Guide buttons are kept too (Back is the pad's Escape).
bool PadControlIsReserved(PadControl c);

// The action (and place) already holding `b` on its device, if any.
struct TTaken {
  Action What;
  size_t Place;
};
std::optional<TTaken> FindBinding(const TControls& c, const TBinding& b);

// Section "CONTROLS" of an options file: "Key<Action><place>" and "Pad<Action><place>" with
// the actions Fire, Rockets, Pause, SteerLeft, SteerRight and places 1 and 2, for example
// "KeyFire1=Space", "PadRockets2=LeftTrigger"; an empty value is an empty place.
// A missing section or key keeps the default (unless the file gives that key or control to
// another place); a name that is not a key or pad control, a reserved one, or one already taken
// by an earlier key of the section, leaves its place empty and adds a message naming the file,
// section and key.
std::vector<std::string> ReadControls(data::DataStore& store, const std::filesystem::path& file, TControls& c);
// Writes the whole section into the user's "game.ini" (one atomic replacement of the file).
void SaveControls(data::DataStore& store, const TControls& c);
// The section's key name of one place, e.g. "KeyFire1".
std::string ControlsKeyName(bool keyboard, Action a, size_t place);

}  // namespace vlm
