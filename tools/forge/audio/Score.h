#pragma once
// The soundtrack's text scores and their compiler into one tracker module. docs/music.md
// describes the score language; tools/forge/audio/scores/ holds the tunes.

#include <stdexcept>
#include <string>
#include <vector>

#include "forge/audio/XmWriter.h"

namespace vlm::forge::audio {

// A score that cannot be compiled; the message names the file and line.
class ScoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TuneInfo {
    std::string name;
    std::string file;
    int firstOrder = 0;        // where the tune starts; the game positions the music here
    std::vector<int> orders;   // every order the tune plays, in playing order
    double seconds = 0;        // one pass through the tune until it loops
};

struct CompiledMusic {
    XmModule module;
    std::vector<TuneInfo> tunes;
};

struct ScoreText {
    std::string file;  // for messages
    std::string text;
};

// Compiles the scores, in the given order, into one module: the first tune's first section is
// order 0, every other tune takes the next orders in turn, and the first tune's remaining
// sections go last. Each tune ends with a jump back to its own first order.
CompiledMusic CompileScores(const std::vector<ScoreText>& scores, std::vector<XmInstrument> instruments);

}  // namespace vlm::forge::audio
