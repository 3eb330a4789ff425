#include "shell/InputScript.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "data/FileIo.h"
#include "data/Printable.h"

namespace vlm::shell {

namespace {

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

std::optional<InputEvent> ParseInputEvent(std::string_view line, std::string& why) {
  auto words = SplitWords(line);
  auto fail = [&](std::string text) -> std::optional<InputEvent> {
    why = std::move(text);
    return std::nullopt;
  };
  auto quoted = [](std::string_view w) { return "'" + data::PrintableText(w) + "'"; };
  auto coordinate = [](std::string_view w, int32_t& out) {
    return ParseNumber(w, out) && out >= -kMaxEventCoordinate && out <= kMaxEventCoordinate;
  };
  InputEvent e;
  if (words.size() < 2) return fail("expected '<ms> <event>'");
  if (!ParseNumber(words[0], e.TimeMs) || e.TimeMs < 0 || e.TimeMs > kMaxEventTimeMs)
    return fail("the time " + quoted(words[0]) + " is not a whole number of milliseconds from 0 to " +
                std::to_string(kMaxEventTimeMs));
  std::string_view what = words[1];
  if (what == "move" || what == "rel") {
    if (words.size() != 4 || !coordinate(words[2], e.X) || !coordinate(words[3], e.Y))
      return fail("'" + std::string(what) + "' takes two whole numbers from " + std::to_string(-kMaxEventCoordinate) +
                  " to " + std::to_string(kMaxEventCoordinate));
    e.Kind = what == "move" ? InputEvent::Type::Move : InputEvent::Type::Rel;
  } else if (what == "down" || what == "up") {
    auto b = words.size() == 3 ? ButtonFromName(words[2]) : std::nullopt;
    if (!b) return fail("expected left, right or middle");
    e.Kind = what == "down" ? InputEvent::Type::Down : InputEvent::Type::Up;
    e.Button = *b;
  } else if (what == "key") {
    auto k = words.size() == 4 ? KeyFromName(words[2]) : std::nullopt;
    if (!k || (words[3] != "down" && words[3] != "up")) return fail("expected 'key <name> down|up'");
    e.Kind = words[3] == "down" ? InputEvent::Type::KeyDown : InputEvent::Type::KeyUp;
    e.KeyCode = *k;
  } else if (what == "deactivate") {
    if (words.size() != 2) return fail("'deactivate' takes nothing");
    e.Kind = InputEvent::Type::Deactivate;
  } else if (what == "activate") {
    if (words.size() != 2) return fail("'activate' takes nothing");
    e.Kind = InputEvent::Type::Activate;
  } else if (what == "text") {
    // The characters follow the one blank after the word "text".
    size_t at = size_t(what.data() - line.data()) + what.size();
    if (at < line.size() && line[at] == ' ') ++at;
    const std::string_view chars = line.substr(at);
    if (chars.size() > kMaxEventTextBytes)
      return fail("the text has " + std::to_string(chars.size()) + " bytes, more than the " +
                  std::to_string(kMaxEventTextBytes) + " an event may type");
    for (unsigned char c : chars)
      if (c < 0x20 || c == 0x7F) return fail("the text holds the control character " + quoted(std::string(1, char(c))));
    e.Kind = InputEvent::Type::Text;
    e.Chars = std::string(chars);
  } else {
    return fail("unknown event " + quoted(what));
  }
  return e;
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
    auto fail = [&](const std::string& why) {
      throw std::runtime_error(data::PrintableText(sourceName) + ", line " + std::to_string(lineNo) + ": " + why);
    };
    std::string why;
    std::optional<InputEvent> e = ParseInputEvent(line, why);
    if (!e) fail(why);
    if (e->TimeMs < lastTime) fail("time goes backwards");
    lastTime = e->TimeMs;
    events.push_back(std::move(*e));
  }
  return events;
}

std::string ReadInputFile(const std::string& file, std::string_view what) {
  const std::string name = data::PrintableText(file);
  const int fd = data::OpenRegularFileForReading(file);
  if (fd < 0)
    throw std::runtime_error("cannot read the " + std::string(what) + " " + name + ": " +
                             (errno == ENODEV ? "not a regular file" : std::strerror(errno)));
  ::close(fd);
  std::error_code ec;
  const uintmax_t size = std::filesystem::file_size(file, ec);
  if (!ec && size > kMaxInputFileBytes)
    throw std::runtime_error("the " + std::string(what) + " " + name + " has " + std::to_string(size) +
                             " bytes, more than the " + std::to_string(kMaxInputFileBytes) +
                             " a script or replay may have");
  auto bytes = data::ReadWholeFile(file);
  if (!bytes) throw std::runtime_error("cannot read the " + std::string(what) + " " + name);
  if (bytes->size() > kMaxInputFileBytes)
    throw std::runtime_error("the " + std::string(what) + " " + name + " is larger than the " +
                             std::to_string(kMaxInputFileBytes) + " bytes a script or replay may have");
  return std::string(bytes->begin(), bytes->end());
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
    case InputEvent::Type::Activate: return s + "activate";
  }
  return s;
}

}  // namespace vlm::shell
