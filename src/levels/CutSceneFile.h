#pragma once
// The cut-scene file "\Data\t_data\cutscenes\<name>": when the cut-scene plays and its pages.
//
//   [MAIN]  ShowAt   0: before the level's fly-in; 1: after its statistics; other: never
//   [0], [1], ...    one section a page, up to the first whose "Time" is not an integer:
//     Time, DestroyTime          integers carried with the page's picture and text
//     SpriteImage                the page's picture (empty or absent: none), and where it
//     SpriteX, SpriteZ,          stands in the cut-scene's frame (X up the screen, Z across)
//     SpriteWidth, SpriteHeight  and how large it is
//     Text                       the page's text (empty or absent: none); "|" starts a new line
//     TextX, TextY               where it stands, in pixels of a 1024 by 768 window
//     TextScaleX, TextScaleY     its glyph scale
//     TextAlign                  0 centred on the position, 1 left-justified, other: left
//
// A picture's keys are read only when the page has a picture, a text's only when it has a text.
// A value that does not convert, or one beyond what the screen can show, stops the read with
// EFieldError naming the file, the section and the key.
#include <cstdint>
#include <string>
#include <vector>

#include "levels/DataFields.h"

namespace vlm::levels {

struct TCutScenePage {
    int32_t Time = 0;
    int32_t DestroyTime = 0;
    std::string SpriteImage;  // empty: no picture
    double SpriteX = 0.0, SpriteZ = 0.0;
    double SpriteWidth = 0.0, SpriteHeight = 0.0;
    std::string Text;         // empty: no text; lines separated by "\r"
    double TextX = 0.0, TextY = 0.0;
    double TextScaleX = 1.0, TextScaleY = 1.0;
    int32_t TextAlign = 0;
};

struct TCutSceneScript {
    std::string FileName;
    std::string ShowAtText;  // MAIN "ShowAt" as written (the music restarts only for exactly "1")
    std::vector<TCutScenePage> Pages;
};

// What a cut-scene may hold. Beyond these the file is refused with its file, section and key.
inline constexpr int kMaxCutScenePages = 100;
inline constexpr double kMaxCutSceneDistance = 100.0;  // |SpriteX|, |SpriteZ|, SpriteWidth, SpriteHeight
inline constexpr double kMaxCutSceneTextPosition = 10000.0;  // |TextX|, |TextY| in pixels
inline constexpr double kMaxCutSceneTextScale = 20.0;       // |TextScaleX|, |TextScaleY|
inline constexpr size_t kMaxCutSceneTextLength = 1000;      // characters of one page's text

// Reads the cut-scene `name` (the level's "cutscene" value, the file name with its extension).
// Throws EFieldError as said above, and std::runtime_error naming the file when it has more than
// kMaxCutScenePages pages.
TCutSceneScript ReadCutScene(const IniReadFn& read, const std::string& name);

}  // namespace vlm::levels
