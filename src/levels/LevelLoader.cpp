#include "levels/LevelLoader.h"

#include "context/LevelGlobals.h"

#include "data/Numbers.h"

#include <exception>
#include <stdexcept>

namespace vlm::levels {

namespace {

const std::string kMain = "MAIN";
const std::string kSave = "SAVE";

bool IsEmpty(const std::string& value) { return value.empty(); }

// A number the game can use: a value outside [lo, hi] is refused like one that does not
// convert, with the file, section and key, so no infinite life or far-off spawn gets in.
double FloatIn(const FieldReader& f, const std::string& section, const std::string& key, double lo, double hi) {
    const double v = f.Float(section, key);
    if (!(v >= lo && v <= hi))
        throw EFieldError(f.File(), section, key, f.Text(section, key),
                          "number from " + data::FloatToStr(lo) + " to " + data::FloatToStr(hi));
    return v;
}

int32_t IntIn(const FieldReader& f, const std::string& section, const std::string& key, const std::string& text,
              int32_t lo, int32_t hi) {
    const int32_t v = f.IntOf(section, key, text);
    if (v < lo || v > hi)
        throw EFieldError(f.File(), section, key, text,
                          "whole number from " + std::to_string(lo) + " to " + std::to_string(hi));
    return v;
}

// The placements, sections "0", "1", ... up to the first whose "index" is not an integer.
void LoadPlacements(const FieldReader& f, const TLevelGlobals& g, ILevelHost& host, TLevelDefinition& out) {
    for (int s = 0;; ++s) {
        const std::string section = SectionName(s);
        if (!f.TryInt(section, "index")) break;
        if (s >= kMaxLevelPlacements)
            throw std::runtime_error("File \"" + f.File() + "\", section [" + section + "]: more than " +
                                     std::to_string(kMaxLevelPlacements) +
                                     " enemy placements (the limit on enemies of a level)");
        TPlacement p;
        p.Z = FloatIn(f, section, "z", -kMaxPlacementDistance, kMaxPlacementDistance);
        p.X = FloatIn(f, section, "x", -kMaxPlacementDistance, kMaxPlacementDistance);
        p.StartZ = FloatIn(f, section, "sz", -kMaxPlacementDistance, kMaxPlacementDistance);
        p.StartX = FloatIn(f, section, "sx", -kMaxPlacementDistance, kMaxPlacementDistance);
        p.AppearTime = FloatIn(f, section, "AAT", -kMaxAppearTime, kMaxAppearTime);
        p.KindIndex = f.Int(section, "index");
        p.PathCode = f.Int(section, "splineindex");
        const size_t kinds = host.EnemyKindCount();
        if (p.KindIndex < 0 || static_cast<size_t>(p.KindIndex) >= kinds)
            throw EFieldError(f.File(), section, "index", std::to_string(p.KindIndex),
                              "enemy kind (the catalogue has " + std::to_string(kinds) + ")");
        // Only an enemy that appears after the start flies its nav path; one there from the
        // start keeps its placed position and never looks the path up.
        if (p.PathCode >= 0 && p.AppearTime != 0.0 && static_cast<size_t>(p.PathCode) >= g.NavPaths.size())
            throw EFieldError(f.File(), section, "splineindex", std::to_string(p.PathCode),
                              "flight path (there are " + std::to_string(g.NavPaths.size()) + ")");
        out.Placements.push_back(p);
        host.AddEnemyPlaceholder(p);
    }
}

void ApplySkins(const FieldReader& f, ILevelHost& host, TLevelDefinition& out) {
    const std::string skins = f.Text(kMain, "skins");
    if (!IsEmpty(skins)) {
        out.Skins = f.IntOf(kMain, "skins", skins);
        host.SetUnlockedSkins(*out.Skins);
    }
    const int32_t unlocked = host.UnlockedSkins();
    if (unlocked > host.RememberedSkins()) host.SetCurrentSkin(unlocked);  // the newest skin goes on
    host.SetRememberedSkins(unlocked);
}

void ApplyTimeShip(const FieldReader& f, TLevelGlobals& g, ILevelHost& host, TLevelDefinition& out) {
    g.TimeShipCode = f.Text(kMain, "TimeShip");
    out.TimeShip = g.TimeShipCode;
    const bool levelShip = !g.TimeShipCode.empty();
    const bool inUse = !host.SavedShipCode().empty();
    if (levelShip && !inUse) {
        TShipConfig timeShip;
        try {
            timeShip = DecodeShipCode(g.TimeShipCode);
        } catch (const EShipCodeError&) {
            throw EFieldError(f.File(), kMain, "TimeShip", g.TimeShipCode, "ship code");
        }
        host.SetSavedShipCode(EncodeShipCode(host.Ship()));
        host.SetShip(timeShip);
        host.ApplyShipModels();
        host.RepairShip();
    } else if (!levelShip && inUse) {
        // The player's own ship comes back, repaired. A damaged remembered code stops here
        // with the time ship still in use, rather than flying a made-up ship.
        const TShipConfig own = DecodeShipCode(host.SavedShipCode());
        host.SetShip(own);
        host.SetSavedShipCode(std::string());
        host.ApplyShipModels();
        host.RepairShip();
    }
    // A level naming a time ship while one is in use keeps the ship in use.
}

void ApplyBonusDrop(const FieldReader& f, TLevelGlobals& g, ILevelHost& host, TLevelDefinition& out) {
    const std::string table = f.Text(kMain, "BDrop");
    if (IsEmpty(table)) return;
    try {
        out.BonusDrop = DecodeBonusDropTable(table, host.Ship().TimeFreezeOwned);
    } catch (const EShipCodeError&) {
        throw EFieldError(f.File(), kMain, "BDrop", table, "bonus drop table");
    }
    g.BonusDropChances = *out.BonusDrop;
}

void ApplySaveSlot(const FieldReader& f, ILevelHost& host, TLevelDefinition& out) {
    if (!f.TryInt(kSave, "ind") || !host.HasProfileFile()) return;
    out.SaveSlot = f.Int(kSave, "index");
    host.WriteSaveSlot(*out.SaveSlot);
}

void ApplyCutScene(const FieldReader& f, const IniReadFn& read, TLevelGlobals& g, ILevelHost& host,
                   TLevelDefinition& out) {
    g.CutSceneName.clear();
    g.CutSceneShowAt = 0;
    const std::string name = f.Text(kMain, "cutscene");
    if (IsEmpty(name)) return;
    g.CutSceneName = name;
    out.CutScene = name;
    const FieldReader cut(read, CutSceneFileName(name));
    g.CutSceneShowAt = static_cast<uint8_t>(cut.Int(kMain, "ShowAt") & 0xFF);
    out.CutSceneShowAt = g.CutSceneShowAt;
    if (g.CutSceneShowAt == 0) host.StartCutScene();
}

TBlurSettings ReadBlur(const FieldReader& f) {
    TBlurSettings b;
    const std::string bd = f.Text(kMain, "bd");
    if (IsEmpty(bd)) return b;
    b.Shown = true;
    b.DeltaTime = f.FloatOf(kMain, "bd", bd);
    b.Bottom = f.Float(kMain, "b_down");
    b.Top = f.Float(kMain, "b_up");
    b.Left = f.Float(kMain, "b_left");
    b.Right = f.Float(kMain, "b_right");
    b.Height = f.Float(kMain, "b_height");
    b.Width = f.Float(kMain, "b_width");
    b.RenderWidth = f.Int(kMain, "b_rw");
    b.RenderHeight = f.Int(kMain, "b_rh");
    b.Mode = f.Int(kMain, "b_mode");
    b.Alpha = f.Float(kMain, "b_da");
    b.Red = f.Float(kMain, "b_dr");
    b.Green = f.Float(kMain, "b_dg");
    b.Blue = f.Float(kMain, "b_db");
    return b;
}

TScenery ReadScenery(const FieldReader& f) {
    TScenery s;
    for (int i = 0; i < 5; ++i) s.CloudTextures[static_cast<size_t>(i)] = f.Text(kMain, "c" + std::to_string(i + 1) + "tex");
    s.LayerTexture = f.Text(kMain, "layerTex");
    s.Planet = f.Int(kMain, "pl");
    if (s.Planet != 0) {
        s.PlanetTexture = f.Text(kMain, "Planet1_tex");
        s.PlanetMaterial = f.Text(kMain, "pl_tex");
        s.PlanetRadius = f.Float(kMain, "pl_radius");
        s.PlanetX = f.Float(kMain, "pl_x");
        s.PlanetZ = f.Float(kMain, "pl_z");
        s.AuraTexture = f.Text(kMain, "pl_a");
        s.AuraRed = f.Float(kMain, "pl_a_r");
        s.AuraGreen = f.Float(kMain, "pl_a_g");
        s.AuraBlue = f.Float(kMain, "pl_a_b");
    }
    s.Mesh1 = f.Text(kMain, "Mesh1");
    if (!IsEmpty(s.Mesh1)) {
        s.TexPath = f.Text(kMain, "TexPath");
        s.Mesh2 = f.Text(kMain, "Mesh2");
    }
    s.SkyBox1 = f.Text(kMain, "c1");
    s.SkyBox2 = f.Text(kMain, "c2");
    s.SkyBox3 = f.Text(kMain, "c3");
    s.LayerSkyBox = f.Text(kMain, "l1");
    s.Fog = f.Text(kMain, "Fog") != "0";
    if (s.Fog) {
        s.FogStart = f.Int(kMain, "FS");
        s.FogEnd = f.Int(kMain, "FE");
    }
    return s;
}

} // namespace

std::string LevelFileName(int32_t level) { return "Data\\t_data\\levels\\" + std::to_string(level) + ".ini"; }

std::string CutSceneFileName(const std::string& name) { return "\\Data\\t_data\\cutscenes\\" + name; }

void LoadLevel(int32_t level, const IniReadFn& read, TLevelGlobals& g, ILevelHost& host, TLevelDefinition& out) {
    out = TLevelDefinition{};
    out.Number = level;
    out.FileName = LevelFileName(level);
    const FieldReader f(read, out.FileName);

    // 1 to 4: a fresh level.
    host.SetGameState("levelintro2");
    host.ReseedRandom();
    g.Difficulty = 1.0;
    g.ShopAfterLevel = false;
    g.LevelTime = 0.0;
    g.LiveSpawnCount = 0;
    g.LevelEnemyCount = 0;
    g.FollowerCount = 0;
    host.ResetLevelState();

    // 5, 6: difficulty and the placements.
    g.Difficulty = FloatIn(f, kMain, "difficulty", kMinDifficulty, kMaxDifficulty);
    out.Difficulty = g.Difficulty;
    LoadPlacements(f, g, host, out);

    // 7 to 9: image settings, shop, final level.
    host.ApplyImageSettings();
    out.Shop = f.Int(kMain, "shop");
    if (out.Shop == 1) g.ShopAfterLevel = true;
    g.FinalLevel = false;
    if (const auto finish = f.TryInt(kMain, "finish")) g.FinalLevel = *finish == 1;
    out.Final = g.FinalLevel;

    // 10 to 13: layer sprites, upgrade points, skins, bonuses.
    out.Layer2File = f.Text(kMain, "layer2file");
    // An absent key names no file: there is nothing to read.
    if (!IsEmpty(out.Layer2File) && out.Layer2File != kIniError) host.LoadLayerFile(out.Layer2File);
    const std::string points = f.Text(kMain, "points");
    if (!IsEmpty(points)) {
        out.Points = IntIn(f, kMain, "points", points, -kMaxLevelPoints, kMaxLevelPoints);
        host.AddUpgradePoints(*out.Points);
    }
    ApplySkins(f, host, out);
    out.DeactivateBonuses = f.Text(kMain, "DeActivateBonuses") == "1";
    if (out.DeactivateBonuses) host.DeactivateBonuses();

    // 14 to 17: time ship, bonus drops, save slot, cut-scene.
    ApplyTimeShip(f, g, host, out);
    ApplyBonusDrop(f, g, host, out);
    ApplySaveSlot(f, host, out);
    ApplyCutScene(f, read, g, host, out);

    // 18 to 20: scenery.
    out.Blur = ReadBlur(f);
    host.ApplyBlur(out.Blur);
    out.Clouds1Speed = f.Float(kMain, "c1speed");
    out.LayerTexSpeed = f.Float(kMain, "l1speed");
    host.SetCloudSpeeds(out.Clouds1Speed, out.LayerTexSpeed);
    out.SceneryName = f.Text(kMain, "name");
    if (out.SceneryName != g.SceneryName) {
        out.Scenery = ReadScenery(f);
        // Named only once its keys have all been read, so that a stopped load does not
        // claim a scenery that was never set up.
        g.SceneryName = out.SceneryName;
        host.ApplyScenery(*out.Scenery);
    }

    // 21: music, only with the music audible.
    if (host.MusicVolume() > 0) {
        const std::string music = f.Text(kMain, "music");
        if (!IsEmpty(music)) {
            out.Music = f.IntOf(kMain, "music", music);
            if (*out.Music != host.CurrentMusicOrder()) host.PlayMusicFromOrder(*out.Music);
        }
    }
    out.Complete = true;
}

int32_t CountLevels(const IniReadFn& read, std::string* problem) {
    int32_t n = 1;
    for (; n <= kMaxLevelCount; ++n) {
        const FieldReader f(read, "\\" + LevelFileName(n));
        try {
            if (!f.TryInt(kMain, "boss")) break;
        } catch (const std::exception& e) {
            // A damaged file ends the list where it stands: the levels before it can be played.
            if (problem) *problem = "Level " + std::to_string(n) + " cannot be read, so the game has levels 1 to " +
                                    std::to_string(n - 1) + ": " + e.what();
            break;
        }
    }
    if (n > kMaxLevelCount && problem)
        *problem = "More than " + std::to_string(kMaxLevelCount) + " level files (the limit on levels); levels after " +
                   std::to_string(kMaxLevelCount) + " are left out.";
    return n - 1;
}

std::string ReadLevelLogo(const IniReadFn& read, int32_t level) {
    return read(LevelFileName(level), kMain, "logo");
}

} // namespace vlm::levels
