#include "levels/LevelLoader.h"

#include <gtest/gtest.h>

#include "IniFiles.h"
#include "RecordingHost.h"
#include "context/LevelGlobals.h"

namespace vlm::levels {
namespace {

// A level file: section MAIN with every key a level needs, then whatever sections a test adds.
class LevelText {
public:
    LevelText() {
        main_ = {{"difficulty", "1"},  {"shop", "0"},     {"finish", "0"},    {"layer2file", ""},
                 {"points", ""},       {"skins", ""},     {"DeActivateBonuses", "0"},
                 {"TimeShip", ""},     {"BDrop", ""},     {"cutscene", ""},   {"bd", ""},
                 {"c1speed", "0,2"},   {"l1speed", "0"},  {"name", "Nebula"}, {"c1tex", ""},
                 {"c2tex", ""},        {"c3tex", ""},     {"c4tex", ""},      {"c5tex", ""},
                 {"layerTex", ""},     {"pl", "0"},       {"Mesh1", ""},      {"c1", "Clouds1"},
                 {"c2", "Clouds2"},    {"c3", "Clouds3"}, {"l1", "layerTex"}, {"Fog", "0"},
                 {"music", ""},        {"logo", "Data\\Textures\\InterFace\\logos\\Level1.jpg"},
                 {"boss", "0"}};
    }
    LevelText& Set(const std::string& key, const std::string& value) {
        for (auto& kv : main_)
            if (kv.first == key) {
                kv.second = value;
                return *this;
            }
        main_.emplace_back(key, value);
        return *this;
    }
    LevelText& Remove(const std::string& key) {
        std::erase_if(main_, [&](const auto& kv) { return kv.first == key; });
        return *this;
    }
    // A placement section with the keys in file order.
    LevelText& Place(int section, const std::string& index, const std::string& spline, const std::string& x,
                     const std::string& z, const std::string& aat, const std::string& sx = "0",
                     const std::string& sz = "0") {
        extra_ += "[" + std::to_string(section) + "]\nindex=" + index + "\nsplineindex=" + spline + "\nx=" + x +
                  "\nz=" + z + "\nsx=" + sx + "\nsz=" + sz + "\nAAT=" + aat + "\n";
        return *this;
    }
    LevelText& Section(const std::string& text) {
        extra_ += text;
        return *this;
    }
    std::string Text() const {
        std::string text = "[MAIN]\n";
        for (const auto& [k, v] : main_) text += k + "=" + v + "\n";
        return text + extra_;
    }

private:
    std::vector<std::pair<std::string, std::string>> main_;
    std::string extra_;
};

class LevelLoaderTest : public ::testing::Test {
protected:
    LevelLoaderTest() { globals.NavPaths.resize(10); }
    void AddLevel(int n, const LevelText& level) { files.Add(LevelFileName(n), level.Text()); }
    // Loads level n; returns the error's text, or "" when it loaded.
    std::string Load(int n) {
        try {
            LoadLevel(n, files.Reader(), globals, host, def);
            return "";
        } catch (const EFieldError& e) {
            error = e.File() + "|" + e.Section() + "|" + e.Key();
            return e.what();
        }
    }
    bool Called(const std::string& call) const {
        return std::find(host.calls.begin(), host.calls.end(), call) != host.calls.end();
    }

    test::IniFiles files;
    TLevelGlobals globals;
    test::RecordingHost host;
    TLevelDefinition def;
    std::string error;  // file|section|key of the last error
};

TEST_F(LevelLoaderTest, LoadsPlacementsInSectionOrderAndRunsEveryStep) {
    AddLevel(1, LevelText()
                    .Set("difficulty", "1,25")
                    .Place(0, "2", "4", "0,3", "-0,25", "0,5")
                    .Place(1, "5", "-6", "0,1", "0,2", "3", "0,7", "-0,4"));
    globals.ShopAfterLevel = true;
    globals.LevelTime = 40.0;
    globals.LevelEnemyCount = 7;

    ASSERT_EQ(Load(1), "");
    EXPECT_TRUE(def.Complete);
    EXPECT_DOUBLE_EQ(globals.Difficulty, 1.25);
    EXPECT_FALSE(globals.ShopAfterLevel);
    EXPECT_EQ(globals.LevelTime, 0.0);
    EXPECT_EQ(globals.LevelEnemyCount, 0);  // counting the placeholders is the host's
    EXPECT_EQ(host.gameState, "levelintro2");

    ASSERT_EQ(host.placements.size(), 2u);
    const TPlacement& dive = host.placements[1];
    EXPECT_EQ(host.placements[0].KindIndex, 2);
    EXPECT_EQ(host.placements[0].PathCode, 4);
    EXPECT_DOUBLE_EQ(host.placements[0].AppearTime, 0.5);
    EXPECT_EQ(dive.KindIndex, 5);
    EXPECT_EQ(dive.PathCode, -6);
    EXPECT_DOUBLE_EQ(dive.X, 0.1);
    EXPECT_DOUBLE_EQ(dive.Z, 0.2);
    EXPECT_DOUBLE_EQ(dive.StartX, 0.7);
    EXPECT_DOUBLE_EQ(dive.StartZ, -0.4);
    EXPECT_DOUBLE_EQ(dive.AppearTime, 3.0);
    EXPECT_EQ(def.Placements.size(), 2u);

    const std::vector<std::string> expected = {"state levelintro2", "reseed",       "reset",        "placeholder",
                                               "placeholder",       "image settings", "blur",       "cloud speeds",
                                               "scenery"};
    EXPECT_EQ(host.calls, expected);
    EXPECT_EQ(globals.SceneryName, "Nebula");
}

TEST_F(LevelLoaderTest, PlacementsEndAtTheFirstSectionWithoutAnIntegerIndex) {
    AddLevel(1, LevelText().Place(0, "0", "1", "0", "0", "1").Place(1, "0", "1", "0", "0", "2").Place(3, "0", "1", "0", "0", "3"));
    ASSERT_EQ(Load(1), "");
    EXPECT_EQ(host.placements.size(), 2u);
    EXPECT_FALSE(files.WasRead("3/index"));

    files = test::IniFiles();
    host = test::RecordingHost();
    AddLevel(1, LevelText().Place(0, "0", "1", "0", "0", "1").Place(1, "one", "1", "0", "0", "2"));
    ASSERT_EQ(Load(1), "");
    EXPECT_EQ(host.placements.size(), 1u);
}

TEST_F(LevelLoaderTest, DifficultyNeedsTheCommaAndStopsTheLoadOtherwise) {
    AddLevel(1, LevelText().Set("difficulty", "1,5").Place(0, "0", "1", "0", "0", "1"));
    ASSERT_EQ(Load(1), "");
    EXPECT_DOUBLE_EQ(globals.Difficulty, 1.5);

    host = test::RecordingHost();
    AddLevel(2, LevelText().Set("difficulty", "1.5").Place(0, "0", "1", "0", "0", "1"));
    const std::string message = Load(2);
    EXPECT_EQ(error, "Data\\t_data\\levels\\2.ini|MAIN|difficulty");
    EXPECT_NE(message.find("1.5"), std::string::npos) << message;
    // What was done before the key stays done; nothing after it happens.
    EXPECT_EQ(host.gameState, "levelintro2");
    EXPECT_TRUE(Called("reset"));
    EXPECT_TRUE(host.placements.empty());
    EXPECT_FALSE(Called("image settings"));
    EXPECT_FALSE(def.Complete);
}

TEST_F(LevelLoaderTest, AMissingLevelFileStopsAtTheDifficulty) {
    Load(9);
    EXPECT_EQ(error, "Data\\t_data\\levels\\9.ini|MAIN|difficulty");
}

TEST_F(LevelLoaderTest, ADamagedPlacementKeepsThePlaceholdersBeforeIt) {
    AddLevel(1, LevelText().Place(0, "0", "1", "0", "0", "1").Place(1, "0", "1", "0.3", "0", "2"));
    Load(1);
    EXPECT_EQ(error, "Data\\t_data\\levels\\1.ini|1|x");
    EXPECT_EQ(host.placements.size(), 1u);
}

// An enemy that could not be built stops the load at its placement, naming the key.
TEST_F(LevelLoaderTest, PlacementsMustNameAKindAndAFlightPathThatExist) {
    struct Case {
        const char* index;
        const char* spline;
        const char* aat;
        const char* key;  // "" when the placement is fine
    };
    const Case cases[] = {
        {"19", "9", "2", ""},
        {"20", "0", "2", "index"},
        {"-1", "0", "2", "index"},
        {"0", "10", "2", "splineindex"},
        {"0", "10", "0,5", "splineindex"},
        {"0", "10", "0", ""},  // there from the start: it never flies its path
        {"0", "999", "0", ""},
        {"0", "-4", "2", ""},  // not a motion of its own: the enemy stays where it was placed
        {"0", "-6", "2", ""},
    };
    for (const Case& c : cases) {
        host = test::RecordingHost();
        error.clear();
        AddLevel(1, LevelText().Place(0, "0", "1", "0", "0", "1").Place(1, c.index, c.spline, "0", "0", c.aat));
        const std::string message = Load(1);
        if (*c.key == 0) {
            EXPECT_EQ(message, "") << c.index << " " << c.spline << " " << c.aat;
            EXPECT_EQ(host.placements.size(), 2u);
        } else {
            EXPECT_EQ(error, std::string("Data\\t_data\\levels\\1.ini|1|") + c.key);
            EXPECT_EQ(host.placements.size(), 1u);
        }
    }
}

// Every key that is not guarded stops the load when it is missing, naming the key.
TEST_F(LevelLoaderTest, MissingUnguardedKeysStopTheLoadNamingTheKey) {
    const char* keys[] = {"shop", "points", "skins", "TimeShip", "BDrop", "c1speed", "l1speed", "pl"};
    for (const char* key : keys) {
        files = test::IniFiles();
        host = test::RecordingHost();
        globals = TLevelGlobals();
        globals.NavPaths.resize(10);
        error.clear();
        AddLevel(1, LevelText().Remove(key));
        Load(1);
        EXPECT_EQ(error, std::string("Data\\t_data\\levels\\1.ini|MAIN|") + key);
    }
}

TEST_F(LevelLoaderTest, ShopIsSetOnlyByOne) {
    const std::pair<const char*, bool> cases[] = {{"1", true}, {"0", false}, {"2", false}, {"-1", false}};
    for (const auto& [shop, after] : cases) {
        AddLevel(1, LevelText().Set("shop", shop));
        ASSERT_EQ(Load(1), "");
        EXPECT_EQ(globals.ShopAfterLevel, after) << "shop=" << shop;
    }
}

TEST_F(LevelLoaderTest, FinishIsGuardedAndOnlyOneMakesTheLevelFinal) {
    const std::pair<const char*, bool> cases[] = {{"1", true}, {"0", false}, {"2", false}, {"", false}, {"yes", false}};
    for (const auto& [finish, final] : cases) {
        globals.FinalLevel = true;
        AddLevel(1, LevelText().Set("finish", finish));
        ASSERT_EQ(Load(1), "") << "finish=" << finish;
        EXPECT_EQ(globals.FinalLevel, final) << "finish=" << finish;
    }
    globals.FinalLevel = true;
    AddLevel(1, LevelText().Remove("finish"));
    ASSERT_EQ(Load(1), "");
    EXPECT_FALSE(globals.FinalLevel);
}

TEST_F(LevelLoaderTest, UpgradePointsAreAddedWhenGiven) {
    host.upgradePoints = 4;
    AddLevel(1, LevelText().Set("points", "3"));
    AddLevel(2, LevelText());
    ASSERT_EQ(Load(1), "");
    ASSERT_EQ(Load(2), "");
    EXPECT_EQ(host.upgradePoints, 7);
}

TEST_F(LevelLoaderTest, NewSkinsArePutOnOlderOnesAreNot) {
    host.unlockedSkins = 2;
    host.rememberedSkins = 2;
    host.currentSkin = 1;
    AddLevel(1, LevelText().Set("skins", "3"));
    AddLevel(2, LevelText());
    AddLevel(3, LevelText().Set("skins", "2"));

    ASSERT_EQ(Load(1), "");
    EXPECT_EQ(host.unlockedSkins, 3);
    EXPECT_EQ(host.currentSkin, 3);
    host.currentSkin = 1;  // the player picks another skin in the shop
    ASSERT_EQ(Load(2), "");
    EXPECT_EQ(host.currentSkin, 1);
    ASSERT_EQ(Load(3), "");
    EXPECT_EQ(host.unlockedSkins, 2);
    EXPECT_EQ(host.currentSkin, 1);
    EXPECT_EQ(host.rememberedSkins, 2);
}

TEST_F(LevelLoaderTest, OnlyExactlyOneDeactivatesTheBonuses) {
    const std::pair<const char*, bool> cases[] = {{"1", true}, {"0", false}, {"01", false}, {"", false}};
    for (const auto& [value, off] : cases) {
        host.calls.clear();
        AddLevel(1, LevelText().Set("DeActivateBonuses", value));
        ASSERT_EQ(Load(1), "");
        EXPECT_EQ(Called("deactivate bonuses"), off) << value;
    }
    host.calls.clear();
    AddLevel(1, LevelText().Remove("DeActivateBonuses"));
    ASSERT_EQ(Load(1), "");
    EXPECT_FALSE(Called("deactivate bonuses"));
}

TEST_F(LevelLoaderTest, TheFirstTimeShipStaysUntilALevelWithoutOne) {
    const TShipConfig own{2, 3, 1, 0, 1, 4, 0, 0, false, 6};
    host.ship = own;
    host.health = 40.0;
    AddLevel(1, LevelText().Set("TimeShip", "01_05_02_02_03_08_01_01_01_20"));
    AddLevel(2, LevelText().Set("TimeShip", "01_01_00_00_00_00_00_00_00_01"));
    AddLevel(3, LevelText());

    ASSERT_EQ(Load(1), "");
    EXPECT_EQ(host.ship.PrimaryLevel, 5);
    EXPECT_EQ(host.savedShipCode, EncodeShipCode(own));
    EXPECT_EQ(globals.TimeShipCode, "01_05_02_02_03_08_01_01_01_20");
    EXPECT_EQ(host.health, 100.0);
    EXPECT_EQ(host.armor, 200);
    EXPECT_TRUE(Called("ship models"));

    host.health = 30.0;
    host.calls.clear();
    ASSERT_EQ(Load(2), "");
    EXPECT_EQ(host.ship.PrimaryLevel, 5);  // the ship in use stays
    EXPECT_EQ(host.health, 30.0);
    EXPECT_EQ(globals.TimeShipCode, "01_01_00_00_00_00_00_00_00_01");
    EXPECT_FALSE(Called("ship models"));

    ASSERT_EQ(Load(3), "");
    EXPECT_EQ(host.ship, own);
    EXPECT_TRUE(host.savedShipCode.empty());
    EXPECT_EQ(host.health, 100.0);
    EXPECT_EQ(host.armor, 100);
}

TEST_F(LevelLoaderTest, ADamagedTimeShipStopsTheLoadAndKeepsTheOwnShip) {
    const TShipConfig own = host.ship;
    AddLevel(1, LevelText().Set("TimeShip", "01_05_02"));
    Load(1);
    EXPECT_EQ(error, "Data\\t_data\\levels\\1.ini|MAIN|TimeShip");
    EXPECT_EQ(host.ship, own);
    EXPECT_TRUE(host.savedShipCode.empty());
}

TEST_F(LevelLoaderTest, BonusDropTableReplacesTheChances) {
    AddLevel(1, LevelText().Set("BDrop", "20_10_10_10_10_10_10_10_10_10_10_10"));
    AddLevel(2, LevelText());
    ASSERT_EQ(Load(1), "");
    const std::array<uint8_t, 13> expected = {20, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 0, 0};
    EXPECT_EQ(globals.BonusDropChances, expected);
    ASSERT_EQ(Load(2), "");  // an empty table leaves the chances as they are
    EXPECT_EQ(globals.BonusDropChances, expected);

    host.ship.TimeFreezeOwned = true;
    ASSERT_EQ(Load(1), "");
    EXPECT_EQ(globals.BonusDropChances[11], 10);
    EXPECT_EQ(globals.BonusDropChances[12], 0);

    AddLevel(3, LevelText().Set("BDrop", "20_10_1x"));
    Load(3);
    EXPECT_EQ(error, "Data\\t_data\\levels\\3.ini|MAIN|BDrop");
    EXPECT_EQ(globals.BonusDropChances, (std::array<uint8_t, 13>{20, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 0}));
}

TEST_F(LevelLoaderTest, TheTimeShipDecidesWhetherKindTwelveDrops) {
    // The time ship owns the time freeze; the table is read after it is put on.
    AddLevel(1, LevelText()
                    .Set("TimeShip", "01_01_00_00_00_00_00_00_01_06")
                    .Set("BDrop", "01_01_01_01_01_01_01_01_01_01_01_09"));
    ASSERT_EQ(Load(1), "");
    EXPECT_EQ(globals.BonusDropChances[11], 9);
}

TEST_F(LevelLoaderTest, SaveSlotIsWrittenWhenTheLevelHasOneAndThePlayerAProfile) {
    struct Case {
        const char* save;
        bool profile;
        std::vector<int32_t> slots;
    };
    const Case cases[] = {
        {"[SAVE]\nind=1\nindex=4\n", true, {4}},
        {"[SAVE]\nind=1\nindex=4\n", false, {}},
        {"[SAVE]\nind=none\nindex=4\n", true, {}},
        {"", true, {}},
    };
    for (const Case& c : cases) {
        host = test::RecordingHost();
        host.hasProfile = c.profile;
        AddLevel(1, LevelText().Section(c.save));
        ASSERT_EQ(Load(1), "") << c.save;
        EXPECT_EQ(host.savedSlots, c.slots) << c.save;
    }
    AddLevel(1, LevelText().Section("[SAVE]\nind=1\n"));
    Load(1);
    EXPECT_EQ(error, "Data\\t_data\\levels\\1.ini|SAVE|index");
}

TEST_F(LevelLoaderTest, CutSceneShowAtDecidesWhetherItStartsNow) {
    files.Add("\\Data\\t_data\\cutscenes\\before.ini", "[MAIN]\nShowAt=0\n");
    files.Add("\\Data\\t_data\\cutscenes\\after.ini", "[MAIN]\nShowAt=1\n");
    files.Add("\\Data\\t_data\\cutscenes\\wrapped.ini", "[MAIN]\nShowAt=257\n");
    struct Case {
        const char* name;
        uint8_t showAt;
        const char* state;
    };
    const Case cases[] = {{"before.ini", 0, "cutscene"}, {"after.ini", 1, "levelintro2"}, {"wrapped.ini", 1, "levelintro2"}};
    for (const Case& c : cases) {
        AddLevel(1, LevelText().Set("cutscene", c.name));
        ASSERT_EQ(Load(1), "") << c.name;
        EXPECT_EQ(globals.CutSceneName, c.name);
        EXPECT_EQ(globals.CutSceneShowAt, c.showAt) << c.name;
        EXPECT_EQ(host.gameState, c.state) << c.name;
    }
    AddLevel(1, LevelText());
    ASSERT_EQ(Load(1), "");
    EXPECT_EQ(globals.CutSceneName, "");
    EXPECT_EQ(globals.CutSceneShowAt, 0);
    EXPECT_EQ(host.gameState, "levelintro2");

    AddLevel(1, LevelText().Set("cutscene", "missing.ini"));
    Load(1);
    EXPECT_EQ(error, "\\Data\\t_data\\cutscenes\\missing.ini|MAIN|ShowAt");
}

TEST_F(LevelLoaderTest, BlurKeysAreReadOnlyWhenBdIsGiven) {
    AddLevel(1, LevelText());
    ASSERT_EQ(Load(1), "");
    EXPECT_FALSE(host.blur.Shown);
    EXPECT_FALSE(files.WasRead("MAIN/b_down"));

    AddLevel(2, LevelText()
                    .Set("bd", "0,05").Set("b_down", "0,2").Set("b_up", "0,2").Set("b_left", "0,002")
                    .Set("b_right", "0,002").Set("b_height", "1").Set("b_width", "1").Set("b_rw", "256")
                    .Set("b_rh", "128").Set("b_mode", "1").Set("b_da", "0,7").Set("b_dr", "0,9")
                    .Set("b_dg", "0,8").Set("b_db", "1"));
    ASSERT_EQ(Load(2), "");
    EXPECT_TRUE(host.blur.Shown);
    EXPECT_DOUBLE_EQ(host.blur.DeltaTime, 0.05);
    EXPECT_EQ(host.blur.RenderHeight, 128);
    EXPECT_EQ(host.blur.Mode, 1);
    EXPECT_DOUBLE_EQ(host.blur.Green, 0.8);

    AddLevel(3, LevelText().Set("bd", "0,05"));
    Load(3);
    EXPECT_EQ(error, "Data\\t_data\\levels\\3.ini|MAIN|b_down");
}

TEST_F(LevelLoaderTest, SceneryIsSetUpOnlyWhenItsNameChanges) {
    AddLevel(1, LevelText()
                    .Set("pl", "1").Set("Planet1_tex", "Data\\Textures\\Levels\\planet1.jpg").Set("pl_tex", "Planet1")
                    .Set("pl_radius", "30").Set("pl_x", "10,5").Set("pl_z", "-20").Set("pl_a", "aura.jpg")
                    .Set("pl_a_r", "1").Set("pl_a_g", "0,5").Set("pl_a_b", "0,25")
                    .Set("Fog", "1").Set("FS", "50").Set("FE", "250"));
    AddLevel(2, LevelText().Set("pl", "not read"));  // same name: the scenery keys are not read
    AddLevel(3, LevelText().Set("name", "Storm"));

    ASSERT_EQ(Load(1), "");
    ASSERT_EQ(host.sceneries.size(), 1u);
    const TScenery& s = host.sceneries[0];
    EXPECT_EQ(s.Planet, 1);
    EXPECT_DOUBLE_EQ(s.PlanetX, 10.5);
    EXPECT_DOUBLE_EQ(s.AuraBlue, 0.25);
    EXPECT_TRUE(s.Fog);
    EXPECT_EQ(s.FogEnd, 250);
    EXPECT_EQ(s.SkyBox1, "Clouds1");

    ASSERT_EQ(Load(2), "");
    EXPECT_EQ(host.sceneries.size(), 1u);
    EXPECT_FALSE(def.Scenery.has_value());

    files.reads.clear();
    ASSERT_EQ(Load(3), "");
    ASSERT_EQ(host.sceneries.size(), 2u);
    EXPECT_EQ(host.sceneries[1].Planet, 0);
    EXPECT_FALSE(host.sceneries[1].Fog);
    EXPECT_FALSE(files.WasRead("MAIN/pl_radius"));
    EXPECT_FALSE(files.WasRead("MAIN/FS"));
    EXPECT_FALSE(files.WasRead("MAIN/TexPath"));
    EXPECT_EQ(globals.SceneryName, "Storm");
}

TEST_F(LevelLoaderTest, ADamagedSceneryIsNotRememberedAsSetUp) {
    AddLevel(1, LevelText().Set("name", "Storm").Set("pl", "1").Set("Planet1_tex", "p.jpg").Set("pl_tex", "Planet1"));
    Load(1);
    EXPECT_EQ(error, "Data\\t_data\\levels\\1.ini|MAIN|pl_radius");
    EXPECT_TRUE(host.sceneries.empty());
    EXPECT_EQ(globals.SceneryName, "");
}

TEST_F(LevelLoaderTest, MusicIsLeftAloneWhenSilentOrAlreadyAtTheOrder) {
    struct Case {
        int32_t volume;
        int32_t currentOrder;
        const char* music;
        int32_t order;
        bool read;
    };
    const Case cases[] = {
        {50, 0, "7", 7, true},
        {50, 7, "7", 7, true},
        {50, 3, "", 3, true},
        {0, 3, "7", 3, false},
        {0, 3, "not a number", 3, false},
    };
    for (const Case& c : cases) {
        host = test::RecordingHost();
        host.musicVolume = c.volume;
        host.musicOrder = c.currentOrder;
        files.reads.clear();
        AddLevel(1, LevelText().Set("music", c.music));
        ASSERT_EQ(Load(1), "") << c.music;
        EXPECT_EQ(host.musicOrder, c.order) << c.music;
        EXPECT_EQ(files.WasRead("MAIN/music"), c.read);
        EXPECT_EQ(Called("music 7"), c.order == 7 && c.currentOrder != 7);
    }
}

TEST_F(LevelLoaderTest, LayerFileIsLoadedOnlyWhenNamed) {
    AddLevel(1, LevelText().Set("layer2file", "Data\\t_data\\layers\\stars.ini"));
    ASSERT_EQ(Load(1), "");
    AddLevel(1, LevelText());
    ASSERT_EQ(Load(1), "");
    AddLevel(1, LevelText().Remove("layer2file"));
    ASSERT_EQ(Load(1), "");
    EXPECT_EQ(host.layerFiles, std::vector<std::string>{"Data\\t_data\\layers\\stars.ini"});
}

TEST(CountLevels, CountsUpToTheFirstLevelWithoutAnIntegerBoss) {
    struct Case {
        std::vector<std::pair<int, const char*>> bosses;  // level, "boss" value (nullptr: no file)
        int32_t count;
    };
    const Case cases[] = {
        {{}, 0},
        {{{1, "0"}, {2, "1"}, {3, "0"}}, 3},
        {{{1, "0"}, {2, ""}, {3, "0"}}, 1},        // level 2 hides itself and level 3
        {{{1, "0"}, {2, "0"}, {4, "0"}}, 2},       // no file 3
        {{{1, "yes"}, {2, "0"}}, 0},
    };
    for (const Case& c : cases) {
        test::IniFiles files;
        for (const auto& [level, boss] : c.bosses)
            files.Add(LevelFileName(level), std::string("[MAIN]\nboss=") + boss + "\n");
        EXPECT_EQ(CountLevels(files.Reader()), c.count);
    }
}

TEST(LevelLogo, IsTheLogoKeyOfTheLevel) {
    test::IniFiles files;
    files.Add(LevelFileName(2), "[MAIN]\nlogo=Data\\Textures\\InterFace\\logos\\Level2.jpg\n");
    EXPECT_EQ(ReadLevelLogo(files.Reader(), 2), "Data\\Textures\\InterFace\\logos\\Level2.jpg");
    EXPECT_EQ(ReadLevelLogo(files.Reader(), 3), "ini error");
}

} // namespace
} // namespace vlm::levels
