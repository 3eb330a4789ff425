// The shipped content, read from content/ through the game's own loaders: every level, flight
// path and enemy kind loads, and everything they name exists.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "forge/Manifest.h"
#include "RecordingHost.h"
#include "combat/EnemyCatalogue.h"
#include "data/DataStore.h"
#include "data/Numbers.h"
#include "levels/CutSceneFile.h"
#include "levels/FollowerPath.h"
#include "context/LevelGlobals.h"
#include "levels/LevelLoader.h"
#include "scene/Movement.h"
#include "scene/SceneObject.h"

namespace vlm::levels {
namespace {

namespace fs = std::filesystem;

fs::path ContentFolder() {
    const char* source = std::getenv("VLM_SOURCE_DIR");
    return fs::path(source ? source : ".") / "content";
}

bool InManifest(const std::string& gamePath) { return forge::FindAsset(gamePath) != nullptr; }

// Whether a playfield point is inside the visible field.
bool Visible(double x, double z) { return std::abs(x) < 0.5 && std::abs(z) < 0.5; }

class ContentTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        appData = fs::temp_directory_path() / ("vlm-content-test-" + std::to_string(::getpid()));
        store = new data::DataStore(ContentFolder(), appData);
        read = new IniReadFn(PlainIniReader(*store));
    }
    static void TearDownTestSuite() {
        delete read;
        delete store;
        std::error_code ec;
        fs::remove_all(appData, ec);
    }

    // The catalogue and the flight paths, as start-up loads them.
    void SetUp() override {
        ASSERT_TRUE(fs::is_directory(ContentFolder() / "Data" / "t_data")) << ContentFolder();
        ASSERT_NO_THROW(LoadNavPaths(*read, globals));
        ASSERT_NO_THROW(combat::LoadEnemyKinds(*read, kinds));
        host.enemyKinds = kinds.size();
    }

    // Loads every level in turn, as a game played through would, with the music on.
    std::vector<TLevelDefinition> LoadAllLevels() {
        std::vector<TLevelDefinition> levels;
        const int32_t count = CountLevels(*read);
        for (int32_t n = 1; n <= count; ++n) {
            TLevelDefinition def;
            try {
                LoadLevel(n, *read, globals, host, def);
            } catch (const std::exception& e) {
                ADD_FAILURE() << e.what();
            }
            levels.push_back(def);
        }
        return levels;
    }

    // When, in seconds from the level's start, a placement's enemy is first inside the field.
    double FirstVisible(const TPlacement& p, const TPlacement* leader) const {
        const double spawn = 2.0 * p.AppearTime;  // the level clock runs at half speed
        switch (p.PathCode) {
        case -1:
        case -2:
        case -3: return Visible(p.X, p.Z) ? spawn : INFINITY;
        case -5: return leader ? std::max(spawn, FirstVisible(*leader, nullptr)) : INFINITY;
        case -6: return Visible(p.X, p.Z) ? spawn + 1.0 : INFINITY;  // a second of diving in
        default: break;
        }
        if (p.AppearTime == 0.0) return Visible(p.X, p.Z) ? spawn : INFINITY;
        // Travel the path with the scene's own movement, a frame every 20 ms.
        scene::TGLBaseSceneObject follower;
        const TFollowerPath path = BuildFollowerPath(follower, globals.NavPaths, p.PathCode);
        path.Movement->SetActivePathIndex(0);
        if (!path.Movement->StartPathTravel()) return INFINITY;
        for (int frame = 1; frame <= 1000 && path.Path->InTravel(); ++frame) {
            path.Movement->PathClock = frame * 0.02;
            follower.DoProgress(0.02, frame * 0.02);
            if (Visible(follower.Position.x / 6.0, follower.Position.z / 8.0)) return spawn + frame * 0.02;
        }
        return INFINITY;
    }

    // The class of a placement's kind; -1 (and a failure) for a kind the catalogue lacks.
    int32_t ClassOf(const TPlacement& p) const {
        if (p.KindIndex < 0 || static_cast<size_t>(p.KindIndex) >= kinds.size()) {
            ADD_FAILURE() << "no enemy kind " << p.KindIndex;
            return -1;
        }
        return kinds[static_cast<size_t>(p.KindIndex)].kind;
    }

    static inline fs::path appData;
    static inline data::DataStore* store = nullptr;
    static inline IniReadFn* read = nullptr;
    TLevelGlobals globals;
    combat::TEnemyKinds kinds;
    test::RecordingHost host;
};

TEST_F(ContentTest, CatalogueCoversEveryClassAndAttackWithForgedLooks) {
    ASSERT_GE(kinds.size(), 8u);
    std::set<int32_t> classes, attacks;
    for (size_t i = 0; i < kinds.size(); ++i) {
        const combat::TEnemyModelData& k = kinds[i];
        SCOPED_TRACE("kind " + std::to_string(i) + " " + k.name);
        classes.insert(k.kind);
        attacks.insert(k.attackKind);
        const auto look = std::find_if(forge::EnemyLooks().begin(), forge::EnemyLooks().end(),
                                       [&](const forge::EnemyLook& l) { return k.ImageName == l.name; });
        ASSERT_NE(look, forge::EnemyLooks().end()) << k.ImageName;
        EXPECT_EQ(k.FrameWidth, look->frameSize);
        EXPECT_EQ(k.FrameHeight, look->frameSize);
        EXPECT_EQ(k.AnimCount, look->frames - 1);
        EXPECT_TRUE(InManifest("Data\\Textures\\Enemies\\" + k.clip)) << k.clip;
        EXPECT_GE(k.expIndex, 1);  // explosions "exp1" to "exp3", sounds "explosion1" to "explosion3"
        EXPECT_LE(k.expIndex, 3);
        EXPECT_GT(k.maxlife, 0);
        EXPECT_GT(k.reloadspeed, 0.0);
        if (k.attackKind == 6 || k.kind == 3) {
            ASSERT_GE(k.CreateEnemyIndex, 0);
            ASSERT_LT(static_cast<size_t>(k.CreateEnemyIndex), kinds.size());
            EXPECT_GT(k.CreateEnemyMaxCount, 0);
            // A child appears at once, so it can only fly a built-in motion.
            const int32_t childPath = kinds[static_cast<size_t>(k.CreateEnemyIndex)].splineindex;
            EXPECT_TRUE(childPath == -1 || childPath == -2 || childPath == -3) << childPath;
        }
    }
    // Every kind has a look of its own, so a player can tell them apart.
    std::set<std::string> looks;
    for (const combat::TEnemyModelData& k : kinds) EXPECT_TRUE(looks.insert(k.ImageName).second) << k.ImageName << " is shared";
    for (int32_t c = 0; c <= 5; ++c) EXPECT_TRUE(classes.count(c)) << "class " << c;
    for (int32_t a = -2; a <= 9; ++a) EXPECT_TRUE(attacks.count(a)) << "attack kind " << a;
}

TEST_F(ContentTest, FlightPathsCanBeTravelled) {
    ASSERT_GE(globals.NavPaths.size(), 10u);
    for (size_t p = 0; p < globals.NavPaths.size(); ++p) {
        const TNodesPath& path = globals.NavPaths[p];
        SCOPED_TRACE("nav path " + std::to_string(p));
        ASSERT_GE(path.Nodes.size(), 2u);
        for (size_t n = 0; n < path.Nodes.size(); ++n) {
            EXPECT_GE(std::abs(path.Nodes[n].Speed), 0.01) << "node " << n;
            if (n == 0) continue;
            const TNavNode& a = path.Nodes[n - 1];
            const TNavNode& b = path.Nodes[n];
            const double length = std::hypot(6.0 * (b.X - a.X), 0.1 * (b.Y - a.Y), 8.0 * (b.Z - a.Z));
            EXPECT_GT(length, 0.05) << "nodes " << n - 1 << " and " << n << " lie on each other";
        }
        // A path starts or ends outside the field, so enemies fly in or out rather than pop up.
        const TNavNode& first = path.Nodes.front();
        const TNavNode& last = path.Nodes.back();
        EXPECT_FALSE(Visible(first.X, first.Z) && Visible(last.X, last.Z));
    }
}

TEST_F(ContentTest, EveryLevelLoadsAndNamesOnlyWhatExists) {
    const std::vector<TLevelDefinition> levels = LoadAllLevels();
    ASSERT_GE(levels.size(), 3u);
    const int32_t logoCount = store->CountNumberedSections("Data\\t_data\\logos.ini");
    std::set<std::string> logoFiles;
    for (int i = 0; i < logoCount; ++i) {
        const std::string file = (*read)("Data\\t_data\\logos.ini", std::to_string(i), "LogoFile");
        EXPECT_TRUE(InManifest(file)) << file;
        logoFiles.insert(file);
    }
    for (const TLevelDefinition& def : levels) {
        SCOPED_TRACE(def.FileName);
        EXPECT_TRUE(def.Complete);
        ASSERT_FALSE(def.Placements.empty());
        for (size_t i = 0; i < def.Placements.size(); ++i) {
            const TPlacement& p = def.Placements[i];
            SCOPED_TRACE("placement " + std::to_string(i));
            const int32_t cls = ClassOf(p);
            if (p.PathCode >= 0) {
                EXPECT_LT(static_cast<size_t>(p.PathCode), globals.NavPaths.size());
            } else {
                EXPECT_TRUE(p.PathCode == -1 || p.PathCode == -2 || p.PathCode == -3 || p.PathCode == -5 ||
                            p.PathCode == -6)
                    << p.PathCode;
            }
            // Healers and wanderers need the roaming motion's waypoint; a turret loses its
            // tracking point at the end of a diving entry.
            if (cls == 2 || cls == 3) {
                EXPECT_EQ(p.PathCode, -3);
            }
            if (cls == 4) {
                EXPECT_NE(p.PathCode, -6);
            }
        }
        const std::string logo = ReadLevelLogo(*read, def.Number);
        EXPECT_TRUE(logoFiles.count(logo)) << "logo " << logo << " is not in logos.ini";
        // One name everywhere: the level file, its logo (the forge letters the name on it) and
        // the choose-level slot that shows the same logo.
        const std::string own = "Data\\Textures\\Logos\\Level" + std::to_string(def.Number) + ".jpg";
        EXPECT_EQ(logo, own);
        EXPECT_EQ((*read)("Data\\t_data\\logos.ini", std::to_string(def.Number - 1), "LogoFile"), own);
        ASSERT_LE(static_cast<size_t>(def.Number), forge::LevelNames().size());
        EXPECT_EQ(def.SceneryName, forge::LevelNames()[static_cast<size_t>(def.Number - 1)]);
        ASSERT_TRUE(def.Scenery.has_value());
        const TScenery& s = *def.Scenery;
        std::vector<std::string> named(s.CloudTextures.begin(), s.CloudTextures.end());
        named.insert(named.end(), {s.LayerTexture, s.PlanetTexture, s.AuraTexture, s.Mesh1, s.Mesh2});
        for (const std::string& asset : named) {
            if (!asset.empty()) {
                EXPECT_TRUE(InManifest(asset)) << asset;
            }
        }
        EXPECT_TRUE(def.SaveSlot.has_value());
        EXPECT_TRUE(def.Music.has_value());
    }
    EXPECT_TRUE(globals.FinalLevel) << "the last level ends the game";
    EXPECT_EQ(CountLevels(*read), static_cast<int32_t>(levels.size()));
}

// The campaign has at least four looks, and a level mesh finds its picture in the level's
// texture folder (the forge names a mesh's picture after the mesh: Ridge.3ds wears Ridge.jpg).
TEST_F(ContentTest, LevelGroupsHaveTheirOwnSceneryAndMeshesFindTheirPictures) {
    std::set<std::string> looks;
    for (const TLevelDefinition& def : LoadAllLevels()) {
        SCOPED_TRACE(def.FileName);
        ASSERT_TRUE(def.Scenery.has_value());
        const TScenery& s = *def.Scenery;
        looks.insert(s.CloudTextures[0] + "|" + s.PlanetTexture + "|" + s.Mesh1 + "|" + s.TexPath);
        for (const std::string& mesh : {s.Mesh1, s.Mesh2}) {
            if (mesh.empty()) continue;
            const std::string stem = mesh.substr(mesh.find_last_of('\\') + 1, mesh.find_last_of('.') - mesh.find_last_of('\\') - 1);
            EXPECT_TRUE(InManifest(s.TexPath + "\\" + stem + ".jpg")) << s.TexPath << " has no picture for " << mesh;
        }
    }
    EXPECT_GE(looks.size(), 4u);
}

// Every enemy kind meets the player somewhere in the campaign, placed by a level or launched
// by a ship that is, and every flight path is flown by some placement.
TEST_F(ContentTest, EveryKindAndFlightPathIsUsed) {
    std::set<int32_t> placedKinds, flownPaths;
    for (const TLevelDefinition& def : LoadAllLevels())
        for (const TPlacement& p : def.Placements) {
            placedKinds.insert(p.KindIndex);
            if (p.PathCode >= 0) flownPaths.insert(p.PathCode);
        }
    std::set<int32_t> met = placedKinds;
    for (int32_t k : placedKinds) {
        if (k < 0 || static_cast<size_t>(k) >= kinds.size()) continue;
        const combat::TEnemyModelData& kind = kinds[static_cast<size_t>(k)];
        if (kind.attackKind == 6 || kind.kind == 3) met.insert(kind.CreateEnemyIndex);
    }
    for (size_t k = 0; k < kinds.size(); ++k)
        EXPECT_TRUE(met.count(static_cast<int32_t>(k))) << "enemy kind " << k << " " << kinds[k].name << " appears nowhere";
    for (size_t p = 0; p < globals.NavPaths.size(); ++p)
        EXPECT_TRUE(flownPaths.count(static_cast<int32_t>(p))) << "nav path " << p << " is flown by no level";
}

// The campaign gets harder level by level, and the last level is the only final one.
TEST_F(ContentTest, DifficultyRisesToTheFinalLevel) {
    const std::vector<TLevelDefinition> levels = LoadAllLevels();
    ASSERT_GE(levels.size(), 2u);
    for (size_t i = 1; i < levels.size(); ++i) {
        SCOPED_TRACE(levels[i].FileName);
        EXPECT_GE(levels[i].Difficulty, levels[i - 1].Difficulty);
        EXPECT_FALSE(levels[i - 1].Final) << levels[i - 1].FileName << " ends the game before the last level";
    }
    EXPECT_TRUE(levels.back().Final);
    EXPECT_GT(levels.back().Difficulty, levels.front().Difficulty);
}

// Escorts keep station on the one leader position of the game, so a level that sent two
// leaders would have every escort jump between them.
TEST_F(ContentTest, ALevelHasAtMostOneFormationLeader) {
    for (const TLevelDefinition& def : LoadAllLevels()) {
        int leaders = 0;
        for (const TPlacement& p : def.Placements) leaders += ClassOf(p) == 5 ? 1 : 0;
        EXPECT_LE(leaders, 1) << def.FileName;
    }
}

// Escorts keep station on a leader that appeared no later than they do.
TEST_F(ContentTest, FormationEscortsHaveALeader) {
    for (const TLevelDefinition& def : LoadAllLevels()) {
        const TPlacement* leader = nullptr;
        for (const TPlacement& p : def.Placements) {
            if (ClassOf(p) == 5) leader = &p;
            if (p.PathCode == -5) {
                ASSERT_NE(leader, nullptr) << def.FileName;
                EXPECT_LT(leader->AppearTime, p.AppearTime) << def.FileName;
            }
        }
    }
}

// Each level opens with something to shoot within two seconds and lasts one to three minutes.
TEST_F(ContentTest, LevelsOpenAtOnceAndLastOneToThreeMinutes) {
    for (const TLevelDefinition& def : LoadAllLevels()) {
        SCOPED_TRACE(def.FileName);
        double first = INFINITY, lastAppear = 0.0;
        const TPlacement* leader = nullptr;
        for (const TPlacement& p : def.Placements) {
            if (ClassOf(p) == 5) leader = &p;
            first = std::min(first, FirstVisible(p, leader));
            lastAppear = std::max(lastAppear, 2.0 * p.AppearTime);
        }
        EXPECT_LE(first, 2.0);
        EXPECT_GE(lastAppear, 50.0);          // with the clearing up, over a minute
        EXPECT_LE(lastAppear + 30.0, 180.0);  // and half a minute to clear the last wave
    }
}

TEST_F(ContentTest, HintsFitTheLoadingScreen) {
    const int hints = store->CountNumberedSections("Data\\t_data\\hints.ini");
    EXPECT_GE(hints, 10);
    const std::string glyphs = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.,-:!()\"=?@/% ";
    for (int i = 0; i < hints; ++i) {
        std::string all;
        for (int line = 1; line <= 5; ++line) {
            const std::string text = (*read)("\\Data\\t_data\\hints.ini", std::to_string(i), "s" + std::to_string(line));
            EXPECT_NE(text, "ini error") << "hint " << i << " line " << line;
            EXPECT_EQ(text.find_first_not_of(glyphs), std::string::npos) << "hint " << i << ": " << text;
            EXPECT_LE(text.size(), 32u) << "hint " << i << ": " << text;
            all += text;
        }
        EXPECT_FALSE(all.empty()) << "hint " << i;
    }
}


// The story: an opening before level 1 and at least one cut-scene after a level; every page's
// picture is one the forge makes, every text is in the font and each of its lines fits the window.
TEST_F(ContentTest, CutScenesTellTheStoryWithForgedPicturesAndPrintableTexts) {
    const std::vector<TLevelDefinition> levels = LoadAllLevels();
    ASSERT_FALSE(levels.empty());
    EXPECT_EQ(levels.front().CutScene, "opening.ini");
    EXPECT_EQ(levels.front().CutSceneShowAt, 0);
    const std::string glyphs = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.,-:!()\"=?@/% \r";
    int after = 0, told = 0;
    for (const TLevelDefinition& def : levels) {
        if (def.CutScene.empty()) continue;
        SCOPED_TRACE(def.CutScene);
        after += def.CutSceneShowAt == 1;
        ++told;
        TCutSceneScript script;
        ASSERT_NO_THROW(script = ReadCutScene(*read, def.CutScene));
        EXPECT_FALSE(script.Pages.empty());
        for (size_t n = 0; n < script.Pages.size(); ++n) {
            const TCutScenePage& page = script.Pages[n];
            SCOPED_TRACE("page " + std::to_string(n));
            EXPECT_TRUE(!page.SpriteImage.empty() || !page.Text.empty()) << "an empty page";
            if (!page.SpriteImage.empty()) {
                EXPECT_TRUE(InManifest(page.SpriteImage)) << page.SpriteImage;
            }
            EXPECT_EQ(page.Text.find_first_not_of(glyphs), std::string::npos) << page.Text;
            // Glyph cells are 64 pixels wide; a line centred on TextX stays inside 1024 pixels.
            size_t start = 0;
            while (start <= page.Text.size()) {
                const size_t end = std::min(page.Text.find('\r', start), page.Text.size());
                const double width = double(end - start) * 64.0 * page.TextScaleX;
                EXPECT_LE(page.TextX + width / 2.0, 1000.0) << page.Text.substr(start, end - start);
                EXPECT_GE(page.TextX - width / 2.0, 24.0) << page.Text.substr(start, end - start);
                start = end + 1;
            }
        }
    }
    EXPECT_GE(after, 1) << "no story after a level";
    EXPECT_GE(told, 5) << "the story needs at least five cut-scenes";
}

} // namespace
} // namespace vlm::levels
