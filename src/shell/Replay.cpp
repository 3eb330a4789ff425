#include "shell/Replay.h"

#include <sstream>
#include <stdexcept>

#include "data/Numbers.h"
#include "shell/GameContext.h"
#include "shell/HeadlessDriver.h"
#include "shell/Input.h"

namespace vlm::shell {

namespace {

std::string OptionsLine(const data::TOptions& o) {
  using data::FloatToStr;
  return "options " + std::to_string(o.Resolution) + " " + FloatToStr(o.MouseSpeed) + " " + FloatToStr(o.Gamma) +
         " " + FloatToStr(o.Brightness) + " " + std::to_string(o.LightingQuality) + " " +
         FloatToStr(o.MusicVolume) + " " + FloatToStr(o.SoundVolume) + " " + (o.Fps ? "1" : "0") + " " +
         (o.FullScreen ? "1" : "0");
}

}  // namespace

const char* TimerName(TimerId id) {
  static const TimerSet names;
  return names[id].Name;
}

TReplayRecorder::TReplayRecorder(const std::string& file, uint64_t seed, int32_t startLevel,
                                 const data::TOptions& options)
    : out_(file, std::ios::binary | std::ios::trunc), file_(file) {
  if (!out_) throw std::runtime_error("cannot write the replay " + file);
  out_ << kReplayHeader << "\nseed " << seed << "\nlevel " << startLevel << "\n" << OptionsLine(options) << "\n";
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

TReplay ParseReplay(const std::string& text, const std::string& sourceName) {
  TReplay r;
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  auto fail = [&](const std::string& why) {
    throw std::runtime_error(sourceName + ", line " + std::to_string(lineNo) + ": " + why);
  };
  TReplayPass pass;
  bool header = false;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (!header) {
      if (line != kReplayHeader) fail("not a Velmora 2 replay");
      header = true;
      continue;
    }
    std::istringstream words(line);
    std::string tag;
    words >> tag;
    if (tag == "seed") {
      if (!(words >> r.Seed)) fail("bad seed");
    } else if (tag == "level") {
      if (!(words >> r.StartLevel)) fail("bad level");
    } else if (tag == "options") {
      std::string res, speed, gamma, bright, light, music, sound, fps, full;
      words >> res >> speed >> gamma >> bright >> light >> music >> sound >> fps >> full;
      data::TOptions& o = r.Options;
      if (!data::TryStrToInt(res, o.Resolution) || !data::TryStrToFloat(speed, o.MouseSpeed) ||
          !data::TryStrToFloat(gamma, o.Gamma) || !data::TryStrToFloat(bright, o.Brightness) ||
          !data::TryStrToInt(light, o.LightingQuality) || !data::TryStrToFloat(music, o.MusicVolume) ||
          !data::TryStrToFloat(sound, o.SoundVolume) || (fps != "0" && fps != "1") || (full != "0" && full != "1"))
        fail("bad options");
      o.Fps = fps == "1";
      o.FullScreen = full == "1";
    } else if (tag == "E") {
      try {
        auto events = ParseInputScript(line.substr(2), sourceName);
        pass.Events.insert(pass.Events.end(), events.begin(), events.end());
      } catch (const std::runtime_error& e) {
        fail(std::string("bad event: ") + e.what());
      }
    } else if (tag == "T") {
      std::string name;
      words >> name;
      bool found = false;
      for (int i = 0; i < int(TimerId::Count); ++i)
        if (name == TimerName(TimerId(i))) {
          pass.Timers.push_back(TimerId(i));
          found = true;
        }
      if (!found) fail("unknown timer '" + name + "'");
    } else if (tag == "F") {
      if (!(words >> pass.FrameTimeUs)) fail("bad frame time");
      if (!r.Passes.empty() && pass.FrameTimeUs < r.Passes.back().FrameTimeUs) fail("time goes backwards");
      r.Passes.push_back(std::move(pass));
      pass = TReplayPass{};
    } else {
      fail("unknown line '" + tag + "'");
    }
  }
  if (!header) throw std::runtime_error(sourceName + ": empty, not a Velmora 2 replay");
  return r;
}

TReplay ReadReplay(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read the replay " + file);
  std::ostringstream text;
  text << in.rdbuf();
  return ParseReplay(text.str(), file);
}

void PlayReplayPass(GameContext& ctx, const TReplayPass& pass) {
  for (const InputEvent& e : pass.Events) ApplyInputEvent(ctx, e);
  ctx.Timers.SetClockMs(pass.FrameTimeUs / 1000);  // the recorded timers see the recorded clock
  for (TimerId id : pass.Timers) FireTimer(ctx, id);
  FinishLoopPass(ctx, pass.FrameTimeUs);
}

}  // namespace vlm::shell
