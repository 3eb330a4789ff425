#pragma once
// The level definition file "Data\t_data\levels\<n>.ini" and its loader.
//
// LoadLevel reads the file key by key in a fixed order and builds the level as it goes:
// it resets the per-level state, hands every placement to the enemies, sets the level's
// flags, applies the ship and bonus settings, writes the save slot, maybe starts the
// cut-scene, and sets up scenery and music. Everything it does outside the level globals
// goes through ILevelHost, which the game wires to the enemies, the player, the scenery,
// the profile and the music.
//
// Only three reads are guarded: a placement's "index" (ends the placement list), MAIN
// "finish" (not final) and SAVE "ind" (no save slot). Any other value that does not convert
// stops the load with EFieldError naming the file, the section and the key; what was done
// before stays in effect. So does a placement naming an enemy kind the catalogue does not
// have, or a flight path the table does not have: the enemy could not be built.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "levels/DataFields.h"
#include "levels/ShipCode.h"

namespace vlm::levels {

struct TLevelGlobals;

// One enemy placement (sections "0", "1", ... of a level file).
struct TPlacement {
    int32_t PathCode = 0;     // "splineindex": nav path number, or -1, -2, -3, -5, -6 built-in motions
    int32_t KindIndex = 0;    // "index": index into the enemy catalogue
    double Z = 0.0;           // "z", "x": position; for path code -6 where the dive ends
    double X = 0.0;
    double StartZ = 0.0;      // "sz", "sx": where a dive (path code -6) starts
    double StartX = 0.0;
    double AppearTime = 0.0;  // "AAT": level seconds; 0 spawns at once without a nav path
};

// The blur overlay ("bd" and the "b_" keys).
struct TBlurSettings {
    bool Shown = false;  // false when "bd" is empty; the other fields are then not read
    double DeltaTime = 0.0, Bottom = 0.0, Top = 0.0, Left = 0.0, Right = 0.0, Height = 0.0, Width = 0.0;
    int32_t RenderWidth = 0, RenderHeight = 0;
    int32_t Mode = 0;    // 0 transparency, 1 additive, other: unchanged
    double Alpha = 0.0, Red = 0.0, Green = 0.0, Blue = 0.0;
};

// The scenery keys, read only when the level's "name" differs from the scenery set up last.
struct TScenery {
    std::array<std::string, 5> CloudTextures;  // "c1tex" .. "c5tex", empty: unchanged
    std::string LayerTexture;                  // "layerTex", empty: unchanged
    int32_t Planet = 0;                        // "pl": 0 hides the planet; the planet keys are read otherwise
    std::string PlanetTexture;                 // "Planet1_tex"
    std::string PlanetMaterial;                // "pl_tex"
    double PlanetRadius = 0.0, PlanetX = 0.0, PlanetZ = 0.0;  // "pl_radius", "pl_x", "pl_z"
    std::string AuraTexture;                   // "pl_a"
    double AuraRed = 0.0, AuraGreen = 0.0, AuraBlue = 0.0;    // "pl_a_r", "pl_a_g", "pl_a_b"
    std::string Mesh1;                         // empty hides both meshes; "TexPath" and "Mesh2" are read otherwise
    std::string TexPath;
    std::string Mesh2;
    std::string SkyBox1, SkyBox2, SkyBox3, LayerSkyBox;  // "c1", "c2", "c3", "l1": cloud material names
    bool Fog = false;                          // "Fog" exactly "0" switches it off
    int32_t FogStart = 0, FogEnd = 0;          // "FS", "FE", read only with fog on
};

// What LoadLevel read, in the order it read it. Fields whose key was not reached (a stopped
// load, or a key read only under a condition) keep their defaults.
struct TLevelDefinition {
    int32_t Number = 0;
    std::string FileName;
    double Difficulty = 1.0;
    std::vector<TPlacement> Placements;
    int32_t Shop = 0;
    bool Final = false;
    std::string Layer2File;
    std::optional<int32_t> Points;
    std::optional<int32_t> Skins;
    bool DeactivateBonuses = false;
    std::string TimeShip;
    std::optional<std::array<uint8_t, 13>> BonusDrop;  // decoded "BDrop"; nothing when empty
    std::optional<int32_t> SaveSlot;                   // written slot; nothing without one or without a profile
    std::string CutScene;
    uint8_t CutSceneShowAt = 0;
    TBlurSettings Blur;
    double Clouds1Speed = 0.0;
    double LayerTexSpeed = 0.0;
    std::string SceneryName;
    std::optional<TScenery> Scenery;                   // nothing when the previous scenery stays
    std::optional<int32_t> Music;                      // nothing when empty or not read (music off)
    bool Complete = false;                             // the load ran to its end
};

// What the level loader does to the rest of the game.
class ILevelHost {
public:
    virtual ~ILevelHost() = default;

    // The load begins: the game state becomes "levelintro2"; the random generator is re-seeded.
    virtual void SetGameState(std::string_view state) = 0;
    virtual void ReseedRandom() = 0;
    // The reset of a new level, outside the level globals: empty the enemy hit boxes; live explosions and
    // explosion layer 0; the displayed score := the score; the level statistics 0; the ship's
    // hover direction +1; PlayerDummy Y 0; LeaderHitBox -1.
    virtual void ResetLevelState() = 0;
    // Each placement: creates the waiting placeholder and counts it in LevelEnemyCount.
    virtual void AddEnemyPlaceholder(const TPlacement& placement) = 0;
    // The size of the enemy catalogue: a placement naming a kind beyond it stops the load.
    virtual size_t EnemyKindCount() const = 0;
    // Gamma and brightness of the options on every material library.
    virtual void ApplyImageSettings() = 0;
    // The scenery sprites of a layer file.
    virtual void LoadLayerFile(const std::string& path) = 0;

    // The player record.
    virtual void AddUpgradePoints(int32_t points) = 0;
    virtual int32_t UnlockedSkins() const = 0;
    virtual void SetUnlockedSkins(int32_t count) = 0;
    virtual int32_t RememberedSkins() const = 0;   // the unlocked count of the previous level
    virtual void SetRememberedSkins(int32_t count) = 0;
    virtual void SetCurrentSkin(int32_t skin) = 0;
    // The six active-bonus timers 0; PlayerHitSphere and Bonus5Sprite hidden.
    virtual void DeactivateBonuses() = 0;
    virtual TShipConfig Ship() const = 0;
    // DecodeShipCode's effect: the ten values, the three weapons' firing parameters for their
    // new levels, and the armour points of the new armour level.
    virtual void SetShip(const TShipConfig& ship) = 0;
    virtual const std::string& SavedShipCode() const = 0;
    virtual void SetSavedShipCode(const std::string& code) = 0;
    virtual void ApplyShipModels() = 0;
    // Health 100, armour points of the armour level.
    virtual void RepairShip() = 0;

    // A level that names a save slot: when the current profile has a file name, the running
    // game is written into slot `slot` of it.
    virtual bool HasProfileFile() const = 0;
    virtual void WriteSaveSlot(int32_t slot) = 0;
    // Start the cut-scene named by CutSceneName (it sets the state "cutscene").
    virtual void StartCutScene() = 0;
    // The scenery.
    virtual void ApplyBlur(const TBlurSettings& blur) = 0;
    virtual void SetCloudSpeeds(double clouds1Speed, double layerTexSpeed) = 0;
    virtual void ApplyScenery(const TScenery& scenery) = 0;
    // The music.
    virtual int32_t MusicVolume() const = 0;
    virtual int32_t CurrentMusicOrder() const = 0;
    // Current music order := order; the channel jumps to that pattern order, row 0.
    virtual void PlayMusicFromOrder(int32_t order) = 0;
};

// What a level file may ask for. A value beyond these stops the load with a message naming
// the file, section and key (or, for the placements, the limit).
inline constexpr double kMinDifficulty = 0.01, kMaxDifficulty = 100.0;  // MAIN "difficulty"
inline constexpr int kMaxLevelPlacements = 2000;                       // sections "0" .. "1999"
inline constexpr double kMaxPlacementDistance = 100.0;                  // |z|, |x|, |sz|, |sx|
inline constexpr double kMaxAppearTime = 1.0e6;                         // |AAT| in level seconds
inline constexpr int32_t kMaxLevelPoints = 1000000;                     // |MAIN "points"|

// "Data\t_data\levels\" + n + ".ini"
std::string LevelFileName(int32_t level);
// "\Data\t_data\cutscenes\" + name
std::string CutSceneFileName(const std::string& name);

// Builds level `level` (the steps above). Fills `out` as it reads. Throws EFieldError when a
// value does not convert; the steps done before stay in effect.
void LoadLevel(int32_t level, const IniReadFn& read, TLevelGlobals& globals, ILevelHost& host,
               TLevelDefinition& out);

// The most levels the game counts.
inline constexpr int32_t kMaxLevelCount = 999;

// The number of levels: levels 1, 2, ... up to the first whose MAIN "boss" is not an integer.
// A level file that cannot be read (a damaged archive entry) also ends the list; `problem`
// then says which and why, as it does when the list is cut at kMaxLevelCount.
int32_t CountLevels(const IniReadFn& read, std::string* problem = nullptr);

// The level's logo image ("logo" of MAIN), as the loading screen and the fly-out show it.
std::string ReadLevelLogo(const IniReadFn& read, int32_t level);

} // namespace vlm::levels
