#pragma once
// The player's settings in "game.ini" in the application-data folder, with the "game.ini"
// beside the executable as the template for the very first start.

#include "data/DataStore.h"
#include "data/Player.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vlm::data {

struct TOptions {
    int32_t Resolution = 3; // screen mode index 1..3 into ScreenWidths / ScreenHeights
    double MouseSpeed = 0.8;
    double Gamma = 0.9;
    double Brightness = 1.2;
    int32_t LightingQuality = 0;
    double MusicVolume = 0.8;
    double SoundVolume = 0.9;
    bool Fps = false;
    bool FullScreen = true; // "OPTIONS" "ff"
};

// Screen modes by resolution index 1..3 (index 0 is unused).
inline constexpr int32_t kMinResolution = 1;
inline constexpr int32_t kMaxResolution = 3;
inline constexpr std::array<int32_t, 4> ScreenWidths = {0, 640, 800, 1024};
inline constexpr std::array<int32_t, 4> ScreenHeights = {0, 480, 600, 768};

inline constexpr const char* kOptionsFileName = "game.ini";

// The values the game can use for each option. A file or replay may hold anything; what lies
// outside these bounds is brought to the nearest bound (options file) or refused (replay).
struct TOptionRange {
    const char* Section;
    const char* Key;
    double Min, Max;
};
inline constexpr TOptionRange kMouseSpeedRange{"OPTIONS", "MouseSpeed", 0.01, 5.0};
inline constexpr TOptionRange kGammaRange{"OPTIONS", "Gamma", 0.1, 10.0};
inline constexpr TOptionRange kBrightnessRange{"OPTIONS", "Brightness", 0.0, 10.0};
inline constexpr TOptionRange kMusicVolumeRange{"OPTIONS", "MusicVolume", 0.0, 1.0};
inline constexpr TOptionRange kSoundVolumeRange{"OPTIONS", "SoundVolume", 0.0, 1.0};
inline constexpr TOptionRange kLightingQualityRange{"OPTIONS", "LightingQuality", 0.0, 10.0};
inline constexpr TOptionRange kResolutionRange{"OPTIONS", "Resolution", double(kMinResolution),
                                               double(kMaxResolution)};

// "" when every value of the record lies in its range, else which one does not, as
// "[OPTIONS] Gamma = 0 is outside 0,1 to 10".
std::string WhyOptionsOutOfRange(const TOptions& options);

// The user's options file: application-data folder + "game.ini".
std::filesystem::path UserOptionsFile(const DataStore& store);
// The template beside the executable: working folder + "game.ini".
std::filesystem::path TemplateOptionsFile(const DataStore& store);

// Every value to its default; the player's FileName and Name are cleared.
void DefaultOptions(TOptions& options, TPlayer& player);

// Reads every key of one options file into the record and the player's FileName and Name.
// A key that is missing or does not convert (or a resolution outside 1..3) keeps its
// default; the result holds one message for each key replaced that way. A damaged current
// profile clears the Name and is reported the same way.
std::vector<std::string> ReadOptions(DataStore& store, const std::filesystem::path& file, TOptions& options,
                                     TPlayer& player);

// Writes every key into the user's options file (creating the application-data folder),
// in one atomic replacement. Throws EWriteError / DataError.
void SaveOptions(DataStore& store, const TOptions& options, const TPlayer& player);

// At start-up: the user's file when its "Resolution" reads as an integer, else the template,
// else the defaults; the user's file is written whenever it was not used as it stood
// (also when some of its keys were replaced). `cancelCopy` receives the result.
// Returns the messages about replaced keys, for the player to see.
std::vector<std::string> LoadOptions(DataStore& store, TOptions& options, TOptions& cancelCopy, TPlayer& player);

} // namespace vlm::data
