#include "context/Controls.h"

#include "data/DataStore.h"
#include "data/IniText.h"
#include "data/Options.h"
#include "data/Printable.h"

namespace vlm {

namespace {

constexpr std::array<std::string_view, kActionCount> kActionNames = {"fire", "rockets", "pause", "steer left",
                                                                     "steer right"};
constexpr std::array<std::string_view, kActionCount> kActionKeys = {"Fire", "Rockets", "Pause", "SteerLeft",
                                                                    "SteerRight"};
constexpr std::array<std::string_view, static_cast<size_t>(PadControl::Count)> kPadControlNames = {
    "A", "B", "X", "Y", "Back", "Guide", "Start", "LeftStick", "RightStick", "LeftShoulder", "RightShoulder",
    "DpadUp", "DpadDown", "DpadLeft", "DpadRight", "LeftTrigger", "RightTrigger",
    "LeftStickLeft", "LeftStickRight", "LeftStickUp", "LeftStickDown",
    "RightStickLeft", "RightStickRight", "RightStickUp", "RightStickDown"};
constexpr const char* kSection = "CONTROLS";

size_t Index(Action a) { return static_cast<size_t>(a); }

}  // namespace

TControls DefaultControls() {
  TControls c;
  auto keys = [&c](Action a, TBinding first, TBinding second) { c.Keys[Index(a)] = {first, second}; };
  auto pad = [&c](Action a, TBinding first, TBinding second) { c.Pad[Index(a)] = {first, second}; };
  const TBinding none;
  keys(Action::Fire, TBinding::OfKey(Key::Space), none);
  keys(Action::Rockets, TBinding::OfKey(Key::X), TBinding::OfKey(Key::Shift));
  keys(Action::Pause, TBinding::OfKey(Key::P), TBinding::OfKey(Key::Pause));
  keys(Action::SteerLeft, TBinding::OfKey(Key::Left), TBinding::OfKey(Key::A));
  keys(Action::SteerRight, TBinding::OfKey(Key::Right), TBinding::OfKey(Key::D));
  pad(Action::Fire, TBinding::OfPad(PadControl::A), TBinding::OfPad(PadControl::RightTrigger));
  pad(Action::Rockets, TBinding::OfPad(PadControl::B), TBinding::OfPad(PadControl::LeftTrigger));
  pad(Action::Pause, TBinding::OfPad(PadControl::Start), none);
  pad(Action::SteerLeft, TBinding::OfPad(PadControl::LeftStickLeft), TBinding::OfPad(PadControl::DpadLeft));
  pad(Action::SteerRight, TBinding::OfPad(PadControl::LeftStickRight), TBinding::OfPad(PadControl::DpadRight));
  return c;
}

std::string_view ActionName(Action a) { return kActionNames[Index(a)]; }

std::string_view PadControlName(PadControl c) { return kPadControlNames[static_cast<size_t>(c)]; }

std::optional<PadControl> PadControlFromName(std::string_view name) {
  for (size_t i = 0; i < kPadControlNames.size(); ++i)
    if (kPadControlNames[i] == name) return static_cast<PadControl>(i);
  return std::nullopt;
}

std::string BindingName(const TBinding& b) {
  if (b.Empty()) return {};
  if (b.Keyboard) return b.Code < size_t(Key::Count) ? std::string(KeyName(Key(b.Code))) : std::string{};
  return b.Code < size_t(PadControl::Count) ? std::string(PadControlName(PadControl(b.Code))) : std::string{};
}

bool KeyIsReserved(Key k) {
  return k == Key::Escape || k == Key::Enter || k == Key::F12 || k == Key::PrintScreen || k == Key::Backspace;
}

bool PadControlIsReserved(PadControl c) { return c == PadControl::Back || c == PadControl::Guide; }

std::optional<TTaken> FindBinding(const TControls& c, const TBinding& b) {
  if (b.Empty()) return std::nullopt;
  const auto& table = c.Of(b.Keyboard);
  for (size_t a = 0; a < kActionCount; ++a)
    for (size_t p = 0; p < kSlotsPerAction; ++p)
      if (table[a][p] == b) return TTaken{Action(a), p};
  return std::nullopt;
}

std::string ControlsKeyName(bool keyboard, Action a, size_t place) {
  return std::string(keyboard ? "Key" : "Pad") + std::string(kActionKeys[Index(a)]) + std::to_string(place + 1);
}

std::vector<std::string> ReadControls(data::DataStore& store, const std::filesystem::path& file, TControls& c) {
  std::vector<std::string> messages;
  const TControls defaults = DefaultControls();
  TControls read;  // every place empty; the file's keys first, in its order, so a repeat is found
  std::array<std::array<std::array<bool, kSlotsPerAction>, kActionCount>, 2> missing{};
  for (bool keyboard : {true, false}) {
    for (size_t a = 0; a < kActionCount; ++a) {
      for (size_t p = 0; p < kSlotsPerAction; ++p) {
        const std::string key = ControlsKeyName(keyboard, Action(a), p);
        const std::string text = store.ReadIniValue(file.string(), kSection, key);
        if (text == data::kIniError) {
          missing[keyboard ? 0 : 1][a][p] = true;
          continue;
        }
        if (text.empty()) continue;  // an empty place
        TBinding b;
        std::string why;
        if (keyboard) {
          const std::optional<Key> k = KeyFromName(text);
          if (!k)
            why = "is not a key";
          else if (KeyIsReserved(*k))
            why = "is kept for the menus";
          else
            b = TBinding::OfKey(*k);
        } else {
          const std::optional<PadControl> pc = PadControlFromName(text);
          if (!pc)
            why = "is not a controller button, trigger or stick direction";
          else if (PadControlIsReserved(*pc))
            why = "is kept for the menus";
          else
            b = TBinding::OfPad(*pc);
        }
        if (why.empty()) {
          if (auto taken = FindBinding(read, b)) {
            why = "is already taken by " + std::string(ActionName(taken->What));
            b = TBinding{};
          }
        }
        if (!why.empty())
          messages.push_back("Options file \"" + data::PrintableText(file.string()) + "\": [" + kSection + "] " + key +
                             " = \"" + data::PrintableText(text) + "\" " + why + "; the place was left empty.");
        read.Of(keyboard)[a][p] = b;
      }
    }
  }
  // Keys the file does not have keep their defaults, unless the file gave that key elsewhere.
  for (bool keyboard : {true, false})
    for (size_t a = 0; a < kActionCount; ++a)
      for (size_t p = 0; p < kSlotsPerAction; ++p)
        if (missing[keyboard ? 0 : 1][a][p] && !FindBinding(read, defaults.Of(keyboard)[a][p]))
          read.Of(keyboard)[a][p] = defaults.Of(keyboard)[a][p];
  c = read;
  return messages;
}

void SaveControls(data::DataStore& store, const TControls& c) {
  store.EnsureAppDataFolder();
  std::vector<data::IniWrite> writes;
  for (bool keyboard : {true, false})
    for (size_t a = 0; a < kActionCount; ++a)
      for (size_t p = 0; p < kSlotsPerAction; ++p)
        writes.push_back({kSection, ControlsKeyName(keyboard, Action(a), p), BindingName(c.Of(keyboard)[a][p])});
  store.WriteIniValues(data::UserOptionsFile(store).string(), writes);
}

}  // namespace vlm
