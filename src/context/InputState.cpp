#include "context/InputState.h"

#include <algorithm>

namespace vlm {

namespace {
bool IsStickDirection(PadControl c) { return c >= PadControl::LeftStickLeft && c <= PadControl::RightStickDown; }
}  // namespace

bool PadControlActive(const TPadState& pad, PadControl c) {
  const size_t i = size_t(c);
  if (i <= size_t(PadControl::DpadRight)) return pad.Buttons[i];
  switch (c) {
    case PadControl::LeftTrigger: return pad.Axis(PadAxis::LeftTrigger) >= kTriggerPulled;
    case PadControl::RightTrigger: return pad.Axis(PadAxis::RightTrigger) >= kTriggerPulled;
    case PadControl::LeftStickLeft: return pad.Axis(PadAxis::LeftX) <= -kStickDeadZone;
    case PadControl::LeftStickRight: return pad.Axis(PadAxis::LeftX) >= kStickDeadZone;
    case PadControl::LeftStickUp: return pad.Axis(PadAxis::LeftY) <= -kStickDeadZone;
    case PadControl::LeftStickDown: return pad.Axis(PadAxis::LeftY) >= kStickDeadZone;
    case PadControl::RightStickLeft: return pad.Axis(PadAxis::RightX) <= -kStickDeadZone;
    case PadControl::RightStickRight: return pad.Axis(PadAxis::RightX) >= kStickDeadZone;
    case PadControl::RightStickUp: return pad.Axis(PadAxis::RightY) <= -kStickDeadZone;
    case PadControl::RightStickDown: return pad.Axis(PadAxis::RightY) >= kStickDeadZone;
    default: return false;
  }
}

double PadControlAmount(const TPadState& pad, PadControl c) {
  if (!IsStickDirection(c)) return PadControlActive(pad, c) ? 1.0 : 0.0;
  const bool left = c == PadControl::LeftStickLeft || c == PadControl::LeftStickRight || c == PadControl::LeftStickUp ||
                    c == PadControl::LeftStickDown;
  const bool across = c == PadControl::LeftStickLeft || c == PadControl::LeftStickRight ||
                      c == PadControl::RightStickLeft || c == PadControl::RightStickRight;
  const bool negative = c == PadControl::LeftStickLeft || c == PadControl::LeftStickUp ||
                        c == PadControl::RightStickLeft || c == PadControl::RightStickUp;
  const PadAxis axis = left ? (across ? PadAxis::LeftX : PadAxis::LeftY) : (across ? PadAxis::RightX : PadAxis::RightY);
  const double v = double(pad.Axis(axis)) * (negative ? -1.0 : 1.0);
  if (v < kStickDeadZone) return 0.0;
  return std::min(1.0, (v - kStickDeadZone) / (32767.0 - kStickDeadZone));
}

}  // namespace vlm
