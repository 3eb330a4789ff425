#include "shell/InputScript.h"

#include <array>
#include <charconv>
#include <stdexcept>

namespace vlm::shell {

namespace {
constexpr std::array<std::string_view, static_cast<size_t>(Key::Count)> kKeyNames = {
    "Escape", "Enter", "F12", "PrintScreen", "P", "Pause", "Ctrl", "Left", "Right", "Backspace"};

std::vector<std::string_view> SplitWords(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

template <class T>
bool ParseNumber(std::string_view s, T& out) {
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && p == s.data() + s.size();
}

std::optional<MouseButton> ButtonFromName(std::string_view s) {
  if (s == "left") return MouseButton::Left;
  if (s == "right") return MouseButton::Right;
  if (s == "middle") return MouseButton::Middle;
  return std::nullopt;
}
}  // namespace

std::string_view KeyName(Key k) { return kKeyNames[static_cast<size_t>(k)]; }

std::optional<Key> KeyFromName(std::string_view name) {
  for (size_t i = 0; i < kKeyNames.size(); ++i)
    if (kKeyNames[i] == name) return static_cast<Key>(i);
  return std::nullopt;
}

std::vector<InputEvent> ParseInputScript(std::string_view text, std::string_view sourceName) {
  std::vector<InputEvent> events;
  int lineNo = 0;
  int64_t lastTime = 0;
  while (!text.empty()) {
    size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    auto words = SplitWords(line);
    if (words.empty() || words[0][0] == '#') continue;
    auto fail = [&](const char* why) {
      throw std::runtime_error(std::string(sourceName) + ", line " + std::to_string(lineNo) + ": " + why);
    };
    InputEvent e;
    if (words.size() < 2 || !ParseNumber(words[0], e.TimeMs) || e.TimeMs < 0) fail("expected '<ms> <event>'");
    if (e.TimeMs < lastTime) fail("time goes backwards");
    lastTime = e.TimeMs;
    std::string_view what = words[1];
    if (what == "move" || what == "rel") {
      if (words.size() != 4 || !ParseNumber(words[2], e.X) || !ParseNumber(words[3], e.Y)) fail("expected two integers");
      e.Kind = what == "move" ? InputEvent::Type::Move : InputEvent::Type::Rel;
    } else if (what == "down" || what == "up") {
      auto b = words.size() == 3 ? ButtonFromName(words[2]) : std::nullopt;
      if (!b) fail("expected left, right or middle");
      e.Kind = what == "down" ? InputEvent::Type::Down : InputEvent::Type::Up;
      e.Button = *b;
    } else if (what == "key") {
      auto k = words.size() == 4 ? KeyFromName(words[2]) : std::nullopt;
      if (!k || (words[3] != "down" && words[3] != "up")) fail("expected 'key <name> down|up'");
      e.Kind = words[3] == "down" ? InputEvent::Type::KeyDown : InputEvent::Type::KeyUp;
      e.KeyCode = *k;
    } else if (what == "deactivate") {
      if (words.size() != 2) fail("'deactivate' takes nothing");
      e.Kind = InputEvent::Type::Deactivate;
    } else if (what == "text") {
      size_t at = line.find("text") + 4;
      if (at < line.size() && line[at] == ' ') ++at;
      e.Kind = InputEvent::Type::Text;
      e.Chars = std::string(line.substr(at));
    } else {
      fail("unknown event");
    }
    events.push_back(std::move(e));
  }
  return events;
}

std::string FormatInputEvent(const InputEvent& e) {
  static constexpr const char* kButtons[] = {"left", "right", "middle"};
  std::string s = std::to_string(e.TimeMs) + " ";
  switch (e.Kind) {
    case InputEvent::Type::Move: return s + "move " + std::to_string(e.X) + " " + std::to_string(e.Y);
    case InputEvent::Type::Rel: return s + "rel " + std::to_string(e.X) + " " + std::to_string(e.Y);
    case InputEvent::Type::Down: return s + "down " + kButtons[int(e.Button)];
    case InputEvent::Type::Up: return s + "up " + kButtons[int(e.Button)];
    case InputEvent::Type::KeyDown: return s + "key " + std::string(KeyName(e.KeyCode)) + " down";
    case InputEvent::Type::KeyUp: return s + "key " + std::string(KeyName(e.KeyCode)) + " up";
    case InputEvent::Type::Text: return s + "text " + e.Chars;
    case InputEvent::Type::Deactivate: return s + "deactivate";
  }
  return s;
}

}  // namespace vlm::shell
