#include "shell/Replay.h"

#include <charconv>
#include <filesystem>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "data/Numbers.h"
#include "data/Printable.h"

namespace vlm::shell {

namespace {

std::string OptionsLine(const data::TOptions& o) {
  using data::FloatToStr;
  return "options " + std::to_string(o.Resolution) + " " + FloatToStr(o.MouseSpeed) + " " + FloatToStr(o.Gamma) +
         " " + FloatToStr(o.Brightness) + " " + std::to_string(o.LightingQuality) + " " +
         FloatToStr(o.MusicVolume) + " " + FloatToStr(o.SoundVolume) + " " + (o.Fps ? "1" : "0") + " " +
         (o.FullScreen ? "1" : "0");
}

// "controls" and the twenty places: keyboard then controller, each action's two places in turn,
// "-" for an empty one.
std::string ControlsLine(const TControls& c) {
  std::string line = "controls";
  for (bool keyboard : {true, false})
    for (const auto& places : c.Of(keyboard))
      for (const TBinding& b : places) line += " " + (b.Empty() ? std::string("-") : BindingName(b));
  return line;
}

}  // namespace

const char* TimerName(TimerId id) {
  static const TimerSet names;
  return names[id].Name;
}

TReplayRecorder::TReplayRecorder(const std::string& file, uint64_t seed, int32_t startLevel,
                                 const data::TOptions& options, const TControls& controls)
    : file_(file) {
  // Opening a FIFO or a device for writing could wait forever or write somewhere odd.
  std::error_code ec;
  if (std::filesystem::exists(file, ec) && !std::filesystem::is_regular_file(file, ec))
    throw std::runtime_error("cannot write the replay " + data::PrintableText(file) + ": not a regular file");
  out_.open(file, std::ios::binary | std::ios::trunc);
  if (!out_) throw std::runtime_error("cannot write the replay " + data::PrintableText(file));
  out_ << kReplayHeader << "\nseed " << seed << "\nlevel " << startLevel << "\n" << OptionsLine(options) << "\n"
       << ControlsLine(controls) << "\n";
}

TReplayRecorder::~TReplayRecorder() { out_.flush(); }

void TReplayRecorder::Event(const InputEvent& e) {
  InputEvent copy = e;
  copy.TimeMs = lastFrameUs_ / 1000;
  out_ << "E " << FormatInputEvent(copy) << '\n';
}

void TReplayRecorder::Timer(TimerId id) { out_ << "T " << TimerName(id) << '\n'; }

void TReplayRecorder::Frame(int64_t nowUs) {
  out_ << "F " << nowUs << '\n';
  lastFrameUs_ = nowUs;
  if (nowUs - lastFlushUs_ >= 1000000) {
    out_.flush();
    lastFlushUs_ = nowUs;
  }
}

namespace {

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

template <class T>
bool WholeNumber(std::string_view s, T& out) {
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && p == s.data() + s.size();
}

}  // namespace

TReplay ParseReplay(const std::string& text, const std::string& sourceName) {
  TReplay r;
  std::string_view rest(text);
  int lineNo = 0;
  auto fail = [&](const std::string& why) {
    throw std::runtime_error(data::PrintableText(sourceName) + ", line " + std::to_string(lineNo) + ": " + why);
  };
  auto quoted = [](std::string_view w) { return "'" + data::PrintableText(w) + "'"; };
  TReplayPass pass;
  bool header = false, seed = false, level = false, options = false, controls = false;
  while (!rest.empty()) {
    const size_t nl = rest.find('\n');
    std::string_view line = rest.substr(0, nl);
    rest = nl == std::string_view::npos ? std::string_view{} : rest.substr(nl + 1);
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line[0] == '#') continue;
    if (!header) {
      if (line != kReplayHeader) fail("not a Velmora 2 replay (the first line is not \"" + std::string(kReplayHeader) + "\")");
      header = true;
      continue;
    }
    const std::vector<std::string_view> words = Words(line);
    if (words.empty()) continue;
    const std::string_view tag = words[0];
    const bool setting = tag == "seed" || tag == "level" || tag == "options" || tag == "controls";
    if (setting && (!r.Passes.empty() || !pass.Events.empty() || !pass.Timers.empty()))
      fail("'" + std::string(tag) + "' after the first frame");
    if (tag == "seed") {
      if (seed) fail("a second 'seed' line");
      if (words.size() != 2 || !WholeNumber(words[1], r.Seed)) fail("the seed is not one whole number from 0 to 2^64-1");
      seed = true;
    } else if (tag == "level") {
      if (level) fail("a second 'level' line");
      if (words.size() != 2 || !WholeNumber(words[1], r.StartLevel) || r.StartLevel < 0 ||
          r.StartLevel > kMaxReplayLevel)
        fail("the level is not one whole number from 0 to " + std::to_string(kMaxReplayLevel));
      level = true;
    } else if (tag == "options") {
      if (options) fail("a second 'options' line");
      static constexpr const char* kFields[] = {"Resolution",  "MouseSpeed",  "Gamma", "Brightness", "LightingQuality",
                                                "MusicVolume", "SoundVolume", "Fps",   "ff"};
      if (words.size() != 10)
        fail("'options' takes 9 values (Resolution MouseSpeed Gamma Brightness LightingQuality MusicVolume "
             "SoundVolume Fps ff), not " + std::to_string(words.size() - 1));
      data::TOptions& o = r.Options;
      const bool converted[] = {
          data::TryStrToInt(words[1], o.Resolution),      data::TryStrToFloat(words[2], o.MouseSpeed),
          data::TryStrToFloat(words[3], o.Gamma),         data::TryStrToFloat(words[4], o.Brightness),
          data::TryStrToInt(words[5], o.LightingQuality), data::TryStrToFloat(words[6], o.MusicVolume),
          data::TryStrToFloat(words[7], o.SoundVolume),   words[8] == "0" || words[8] == "1",
          words[9] == "0" || words[9] == "1"};
      for (size_t i = 0; i < std::size(converted); ++i)
        if (!converted[i]) fail("options: " + std::string(kFields[i]) + " " + quoted(words[i + 1]) + " does not convert");
      o.Fps = words[8] == "1";
      o.FullScreen = words[9] == "1";
      // A replay steers the game with these values: one the game cannot use is refused, not
      // mended, as a mended value would not play back the run that was recorded.
      if (const std::string why = data::WhyOptionsOutOfRange(o); !why.empty()) fail("options: " + why);
      options = true;
    } else if (tag == "controls") {
      if (controls) fail("a second 'controls' line");
      const size_t places = 2 * kActionCount * kSlotsPerAction;
      if (words.size() != places + 1)
        fail("'controls' takes " + std::to_string(places) + " keys and controller controls, not " +
             std::to_string(words.size() - 1));
      TControls c;
      size_t w = 1;
      for (bool keyboard : {true, false}) {
        for (auto& placesOf : c.Of(keyboard)) {
          for (TBinding& b : placesOf) {
            const std::string_view name = words[w++];
            if (name == "-") continue;
            TBinding given;
            if (keyboard) {
              const auto k = KeyFromName(name);
              if (!k || KeyIsReserved(*k)) fail("controls: " + quoted(name) + " is not a key of play");
              given = TBinding::OfKey(*k);
            } else {
              const auto pc = PadControlFromName(name);
              if (!pc || PadControlIsReserved(*pc)) fail("controls: " + quoted(name) + " is not a controller control of play");
              given = TBinding::OfPad(*pc);
            }
            if (FindBinding(c, given)) fail("controls: " + quoted(name) + " is given twice");
            b = given;
          }
        }
      }
      r.Controls = c;
      controls = true;
    } else if (tag == "E") {
      if (!seed || !options) fail("an event before the 'seed' and 'options' lines");
      const size_t at = size_t(tag.data() - line.data()) + 1;
      std::string why;
      std::optional<InputEvent> e = at < line.size() ? ParseInputEvent(line.substr(at), why) : std::nullopt;
      if (!e) fail("bad event: " + (why.empty() ? std::string("'E' without an event") : why));
      pass.Events.push_back(std::move(*e));
    } else if (tag == "T") {
      if (!seed || !options) fail("a timer before the 'seed' and 'options' lines");
      if (words.size() != 2) fail("'T' takes one timer name");
      bool found = false;
      for (int i = 0; i < int(TimerId::Count) && !found; ++i)
        if (words[1] == TimerName(TimerId(i))) {
          pass.Timers.push_back(TimerId(i));
          found = true;
        }
      if (!found) fail("unknown timer " + quoted(words[1]));
    } else if (tag == "F") {
      if (!seed || !options) fail("a frame before the 'seed' and 'options' lines");
      if (words.size() != 2 || !WholeNumber(words[1], pass.FrameTimeUs) || pass.FrameTimeUs < 0 ||
          pass.FrameTimeUs > kMaxReplayTimeUs)
        fail("the frame time is not one whole number of microseconds from 0 to " + std::to_string(kMaxReplayTimeUs));
      if (!r.Passes.empty() && pass.FrameTimeUs < r.Passes.back().FrameTimeUs) fail("time goes backwards");
      r.Passes.push_back(std::move(pass));
      pass = TReplayPass{};
    } else {
      fail("unknown line " + quoted(tag));
    }
  }
  if (!header) throw std::runtime_error(data::PrintableText(sourceName) + ": empty, not a Velmora 2 replay");
  if (!seed || !options)
    throw std::runtime_error(data::PrintableText(sourceName) + ": no '" + (seed ? "options" : "seed") + "' line");
  return r;
}

TReplay ReadReplay(const std::string& file) { return ParseReplay(ReadInputFile(file, "replay"), file); }

}  // namespace vlm::shell
