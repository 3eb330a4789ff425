#pragma once
// The main menu's demo (ctx.Demo): left alone in the main menu, the game plays one of the
// player's open levels with the pilot at the controls, until the player gives any input.
// A demo touches nothing the player keeps: no save slot, no top rank, no profile; the player's
// record is put back as it was when the demo ends.
#include <cstdint>
#include <memory>

#include "data/Player.h"

namespace vlm {

struct GameContext;

// What flies a demo: made by the application shell (the pilot), given the frame's clock.
class IDemoPilot {
 public:
  virtual ~IDemoPilot() = default;
  virtual void Fly(GameContext& ctx, int64_t nowMs) = 0;
};

inline constexpr double kDemoIdleSeconds = 30.0;   // in the main menu without input
inline constexpr double kDemoLongestSeconds = 150.0;  // a demo that goes on longer ends
inline constexpr double kDemoAfterEndSeconds = 4.0;   // the game over or the level's figures stay this long

struct TDemoState {
  bool Active = false;
  bool EndRequested = false;     // the player gave input: back to the menu on the next frame
  bool PilotInput = false;       // the input being applied is the demo pilot's, not the player's
  double IdleSeconds = 0.0;      // in the main menu since the player's last input
  double Seconds = 0.0;          // how long the running demo has played
  double EndingSeconds = 0.0;    // how long its game over or level end has stood
  int64_t LastUs = -1;           // the previous frame's clock
  int32_t Level = 0;             // the level it plays
  int32_t Played = 0;            // demos played since the game started
  data::TPlayer SavedPlayer;     // the player's record from before the demo
  std::unique_ptr<IDemoPilot> Pilot;
};

}  // namespace vlm
