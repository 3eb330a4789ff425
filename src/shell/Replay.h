#pragma once
// Replays: everything the game was given, written as it happens and played back to the same
// result, in a window or headless. The format is described in docs/replays.md.
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "data/Options.h"
#include "context/Controls.h"
#include "shell/InputScript.h"
#include "context/Timers.h"

namespace vlm { struct GameContext; }

namespace vlm::shell {

inline constexpr const char* kReplayHeader = "velmora2 replay 1";
inline constexpr int32_t kMaxReplayLevel = 999;                          // "level" 0 to this
inline constexpr int64_t kMaxReplayTimeUs = kMaxEventTimeMs * 1000;      // "F" 0 to this

// One pass of the main loop: the input that arrived, the timers that fired, then one frame.
struct TReplayPass {
  std::vector<InputEvent> Events;
  std::vector<TimerId> Timers;
  int64_t FrameTimeUs = 0;  // the frame clock's raw time for this pass
};

struct TReplay {
  uint64_t Seed = 0;
  int32_t StartLevel = 0;   // 0: the game started normally
  data::TOptions Options;   // the options the run used (they steer the ship)
  TControls Controls = DefaultControls();  // the controls of play ("controls" line; defaults without)
  std::vector<TReplayPass> Passes;
};

// Writes the replay while the game runs. Lines are buffered and flushed every second of play.
class TReplayRecorder {
 public:
  // Throws std::runtime_error naming the file when it cannot be created.
  TReplayRecorder(const std::string& file, uint64_t seed, int32_t startLevel, const data::TOptions& options,
                  const TControls& controls = DefaultControls());
  ~TReplayRecorder();
  void Event(const InputEvent& e);  // stamped with the time of the last frame
  void Timer(TimerId id);
  void Frame(int64_t nowUs);

 private:
  std::ofstream out_;
  std::string file_;
  int64_t lastFlushUs_ = 0;
  int64_t lastFrameUs_ = 0;
};

// Reads a replay; throws std::runtime_error naming the file and line on anything malformed:
// every field is checked (the options against their ranges), "seed" and "options" must come
// before the first event, timer or frame, and each of "seed", "level", "options" comes once.
TReplay ReadReplay(const std::string& file);
TReplay ParseReplay(const std::string& text, const std::string& sourceName);

// Plays one recorded pass into the game: its events, its timers, its frame.
void PlayReplayPass(GameContext& ctx, const TReplayPass& pass);

const char* TimerName(TimerId id);

}  // namespace vlm::shell
