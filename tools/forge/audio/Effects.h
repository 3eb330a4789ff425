#pragma once
// The game's sound effects, one recipe per name of the bank.

#include <map>
#include <string>

#include "forge/audio/Synth.h"

namespace vlm::forge::audio {

// Every effect by bank name, mono at 44100 Hz, peaks at about -1 dBFS, silent at both ends.
std::map<std::string, Buffer> MakeEffects();

}  // namespace vlm::forge::audio
