// The list of every file the art forge makes, with its promised shape. The game's loaders
// and the forge's tests check their names against this one list.
#pragma once

#include <string>
#include <vector>

namespace vlm::forge {

enum class AssetKind { Jpeg, Bmp, Mesh };

struct AssetSpec {
    std::string path;     // game path with "\" separators, exact letter case
    AssetKind kind;
    int width = 0;        // pixels (images only)
    int height = 0;
    int frameWidth = 0;   // sprite sheets: frame size and count, frames left to right,
    int frameHeight = 0;  // top to bottom; the font sheet: its cell size and glyph count
    int frames = 0;
    bool alpha = false;   // BMP written with an alpha channel (32 bits per pixel)
};

// Every asset, in the order the forge writes them.
const std::vector<AssetSpec>& Manifest();
// The entry for a game path (exact match), or nullptr.
const AssetSpec* FindAsset(const std::string& gamePath);
// "Data\Textures\x.jpg" -> "Data/Textures/x.jpg" (the content folder's relative path).
std::string DiskPath(const std::string& gamePath);

// Names the level designers pick from (the catalogue's ImageName, the layer and level files).
struct EnemyLook {
    const char* name;    // file under "Data\Textures\Enemies\" and the material name
    int frameSize;       // square frames
    int frames;          // AnimCount = frames - 1
    const char* role;    // what the look was drawn for
};
const std::vector<EnemyLook>& EnemyLooks();

constexpr int kSkinCount = 6;
constexpr int kLevelLogoCount = 15;
constexpr int kFontCell = 64;
constexpr int kFontGlyphs = 52;
constexpr int kFontColumns = 8;

// The button words of the main menu folder: file stem and the lettering.
struct ButtonWord {
    const char* stem;  // "StartGame" -> "StartGame.jpg" and "StartGame_lighted.jpg"
    const char* text;  // "start game"
};
const std::vector<ButtonWord>& ButtonWords();

// The level names, level 1 first, as the levels' logos letter them; each level file's
// "name" says the same.
const std::vector<std::string>& LevelNames();

}  // namespace vlm::forge
