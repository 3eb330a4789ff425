#pragma once
// The synthesised instruments of the soundtrack. Tonal loops hold whole cycles so they loop
// without a seam; every instrument's C-4 sounds middle C (261.6 Hz).

#include <string>
#include <string_view>
#include <vector>

#include "forge/audio/XmWriter.h"

namespace vlm::forge::audio {

std::vector<XmInstrument> MakeInstruments();

// 1-based instrument number by name ("lead", "bass", "kick", ...), 0 when unknown.
int InstrumentNumber(const std::vector<XmInstrument>& instruments, std::string_view name);

// The drum kits, by name; a tune picks one with its "kit" line.
const std::vector<std::string>& DrumKits();
// The instrument of one piece of a kit ("kick", "snare", "hat", "ohat", "crash", "tom").
std::string KitPiece(std::string_view kit, std::string_view piece);

}  // namespace vlm::forge::audio
