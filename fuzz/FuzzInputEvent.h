#pragma once
// What the input script and replay targets check of every event that parsed.
#include "shell/InputScript.h"

#include <cstdlib>
#include <optional>
#include <string>

namespace vlm::fuzz {

using shell::InputEvent;

inline bool Same(const InputEvent& a, const InputEvent& b)
{
    return a.TimeMs == b.TimeMs && a.Kind == b.Kind && a.X == b.X && a.Y == b.Y && a.Button == b.Button &&
           a.KeyCode == b.KeyCode && a.Pad == b.Pad && a.Axis == b.Axis && a.Chars == b.Chars;
}


// An event that parsed must be within its limits and write
// out as a line that parses back to it.
inline void CheckInputEvent(const InputEvent& e)
{
    using namespace vlm::shell;
    if (e.TimeMs < 0 || e.TimeMs > kMaxEventTimeMs)
        std::abort();
    if ((e.Kind == InputEvent::Type::Move || e.Kind == InputEvent::Type::Rel) &&
        (e.X < -kMaxEventCoordinate || e.X > kMaxEventCoordinate || e.Y < -kMaxEventCoordinate ||
         e.Y > kMaxEventCoordinate))
        std::abort();
    if (e.Kind == InputEvent::Type::PadAxisMove && (e.X < -32768 || e.X > 32767))
        std::abort();
    if (e.Chars.size() > kMaxEventTextBytes)
        std::abort();
    std::string why;
    const std::optional<InputEvent> again = ParseInputEvent(FormatInputEvent(e), why);
    if (!again || !Same(*again, e))
        std::abort();
}

}  // namespace vlm::fuzz
