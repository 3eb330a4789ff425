#pragma once
// The keyboard and game-controller side of the input: the controls of play, the controller's
// state as its events left it, the steering that keys and pads feed into the mouse device each
// frame, and the focus that keys and pads move between the buttons of a menu.
#include <array>
#include <cstdint>

#include "context/Controls.h"
#include "context/Keys.h"

namespace vlm::scene { class TGLBaseSceneObject; }

namespace vlm {

// Counts per second the keys and the pad give the mouse device at full speed: a brisk sweep of
// a mouse. The ship moves counts × MouseSpeed / 1000 across its row, as it does for the mouse,
// so at the default ship speed 0,8 a full row (0,96) takes 1,2 s.
inline constexpr double kSteerCountsPerSecond = 1000.0;
// A held key or d-pad starts at kSteerStart of full speed and reaches full speed after
// kSteerRampSeconds on a quadratic curve: a tap nudges the ship, a hold sweeps it.
inline constexpr double kSteerStart = 0.2;
inline constexpr double kSteerRampSeconds = 0.25;
// Stick and trigger thresholds, of 32767.
inline constexpr int32_t kStickDeadZone = 8000;
inline constexpr int32_t kTriggerPulled = 16384;

struct TPadState {
  bool Connected = false;
  std::array<bool, static_cast<size_t>(PadButton::Count)> Buttons{};
  std::array<int32_t, static_cast<size_t>(PadAxis::Count)> Axes{};
  bool Down(PadButton b) const { return Buttons[static_cast<size_t>(b)]; }
  int32_t Axis(PadAxis a) const { return Axes[static_cast<size_t>(a)]; }
};

// Whether a pad control is held: a button down, a trigger past half, a stick past its dead zone.
bool PadControlActive(const TPadState& pad, PadControl c);
// How far a stick control is pushed beyond its dead zone, 0 to 1 (1 for a held button or trigger).
double PadControlAmount(const TPadState& pad, PadControl c);

// The focus of a menu while it is steered with keys or a pad. While Active, the menus take the
// focused object for the one under the pointer; moving the mouse hands them back to the pointer.
struct TMenuFocus {
  bool Active = false;
  const scene::TGLBaseSceneObject* Object = nullptr;
  // A direction held down (arrow, d-pad or stick) steps the focus again after a pause and then
  // at a steady pace, as a held key repeats in a text field.
  int8_t HeldDx = 0, HeldDy = 0;
  double HeldSeconds = 0.0;
};

struct TInputState {
  TControls Controls = DefaultControls();
  TPadState Pad;
  std::array<double, 2> SteerHeld{};  // seconds the left / right steering has been held
  double SteerCarry = 0.0;            // counts not yet given to the device (fractions)
  int64_t LastPollMs = -1;
  TMenuFocus Focus;
  bool KeyPressing = false;   // Enter is down as a press on a menu
  bool PadPressing = false;   // A or Start is down as a press on a menu
  bool PadEscaping = false;   // B is down as Escape in a menu
};

}  // namespace vlm
