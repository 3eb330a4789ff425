#pragma once
// The synthesised instruments of the soundtrack. Tonal loops hold whole cycles so they loop
// without a seam; every instrument's C-4 sounds middle C (261.6 Hz).

#include <string_view>
#include <vector>

#include "forge/audio/XmWriter.h"

namespace vlm::forge::audio {

std::vector<XmInstrument> MakeInstruments();

// 1-based instrument number by name ("lead", "bass", "kick", ...), 0 when unknown.
int InstrumentNumber(const std::vector<XmInstrument>& instruments, std::string_view name);

}  // namespace vlm::forge::audio
