#include "combat/EnemyCatalogue.h"

#include <gtest/gtest.h>

#include "levels/IniFiles.h"

namespace vlm::combat {
namespace {

// One kind with every key; `overrides` replace values ("key=value" lines win because the
// first matching key counts, so they are written first).
std::string Kind(int section, const std::string& overrides = "") {
    return "[" + std::to_string(section) + "]\n" + overrides +
           "name=Wasp\nkind=0\nattackKind=1\nattackcount=3\nCreateEnemyIndex=7\nCreateEnemyMaxCount=4\n"
           "ImageName=Wasp.bmp\nAnimMode=1\nAnimCount=7\nFrameWidth=64\nFrameHeight=48\nScaleZ=0,06\n"
           "ScaleX=0,048\nAnimSpeed=90\nspeed=0,925\nclipspeed=1,2\nclipspeedUp=0,4\nreloadspeed=2,5\n"
           "Strength=8\ncw=0,02\nch=0,03\nfx=1\nclip=EnemyClip1.bmp\nmaxlife=30\nHealthIndX=0,05\n"
           "expScaleZ=0,2\nexpScaleX=0,15\nexpIndex=2\nsplineindex=-1\nscores=150\n";
}

class EnemyCatalogueTest : public ::testing::Test {
protected:
    void SetFile(const std::string& text) { files.Add(kEnemyCatalogueFile, text); }
    TEnemyKinds Load() {
        TEnemyKinds kinds;
        LoadEnemyKinds(files.Reader(), kinds);
        return kinds;
    }
    test::IniFiles files;
};

TEST_F(EnemyCatalogueTest, ReadsEveryFieldOfAKind) {
    SetFile(Kind(0));
    const TEnemyKinds kinds = Load();
    ASSERT_EQ(kinds.size(), 1u);
    const TEnemyModelData& k = kinds[0];
    EXPECT_EQ(k.name, "Wasp");
    EXPECT_EQ(k.kind, 0);
    EXPECT_EQ(k.attackKind, 1);
    EXPECT_EQ(k.attackcount, 3);
    EXPECT_EQ(k.CreateEnemyIndex, 7);
    EXPECT_EQ(k.CreateEnemyMaxCount, 4);
    EXPECT_EQ(k.ImageName, "Wasp.bmp");
    EXPECT_EQ(k.AnimMode, 1);
    EXPECT_EQ(k.AnimCount, 7);
    EXPECT_EQ(k.FrameWidth, 64);
    EXPECT_EQ(k.FrameHeight, 48);
    EXPECT_DOUBLE_EQ(k.ScaleZ, 0.06);   // ScaleZ comes before ScaleX in the file
    EXPECT_DOUBLE_EQ(k.ScaleX, 0.048);
    EXPECT_EQ(k.AnimSpeed, 90);
    EXPECT_DOUBLE_EQ(k.speed, 0.925);
    EXPECT_DOUBLE_EQ(k.clipspeed, 1.2);
    EXPECT_DOUBLE_EQ(k.clipspeedUp, 0.4);
    EXPECT_DOUBLE_EQ(k.reloadspeed, 2.5);
    EXPECT_EQ(k.Strength, 8);
    EXPECT_DOUBLE_EQ(k.cw, 0.02);
    EXPECT_DOUBLE_EQ(k.ch, 0.03);
    EXPECT_EQ(k.fx, 1);
    EXPECT_EQ(k.clip, "EnemyClip1.bmp");
    EXPECT_EQ(k.maxlife, 30);
    EXPECT_DOUBLE_EQ(k.HealthIndX, 0.05);
    EXPECT_DOUBLE_EQ(k.expScaleZ, 0.2);
    EXPECT_DOUBLE_EQ(k.expScaleX, 0.15);
    EXPECT_EQ(k.expIndex, 2);
    EXPECT_EQ(k.splineindex, -1);
    EXPECT_EQ(k.scores, 150);
}

TEST_F(EnemyCatalogueTest, ListEndsAtTheFirstSectionWithoutAnIntegerKind) {
    struct Case {
        std::string file;
        size_t count;
    };
    const Case cases[] = {
        {"", 0},                                                  // no file at all
        {"[0]\nname=nothing\n", 0},                               // section 0 without "kind"
        {Kind(0) + Kind(1) + Kind(3), 2},                         // "2" missing: "3" is never read
        {Kind(0) + Kind(1, "kind=boss\n") + Kind(2), 1},          // a kind that is not an integer
        {Kind(0) + Kind(1, "kind=\n") + Kind(2), 1},
    };
    for (const Case& c : cases) {
        files = test::IniFiles();
        if (!c.file.empty()) SetFile(c.file);
        EXPECT_EQ(Load().size(), c.count) << c.file;
    }
}

TEST_F(EnemyCatalogueTest, AnimModeKeepsItsLowByte) {
    const std::pair<const char*, uint8_t> cases[] = {{"0", 0}, {"1", 1}, {"2", 2}, {"257", 1}};
    for (const auto& [text, mode] : cases) {
        SetFile(Kind(0, std::string("AnimMode=") + text + "\n"));
        EXPECT_EQ(Load()[0].AnimMode, mode) << text;
    }
}

// Outside "kind", a value that does not convert stops the load: the error names the file,
// the section and the key, and the kinds before it stay.
TEST_F(EnemyCatalogueTest, DamagedValuesStopTheLoadNamingFileSectionAndKey) {
    struct Case {
        const char* override;
        const char* key;
    };
    const Case cases[] = {
        {"speed=0.5\n", "speed"},          // a point is no decimal separator
        {"attackKind=\n", "attackKind"},
        {"maxlife=30,5\n", "maxlife"},     // an integer key
        {"Strength=ini error\n", "Strength"},
        {"scores=99999999999\n", "scores"},
    };
    for (const Case& c : cases) {
        SetFile(Kind(0) + Kind(1, c.override) + Kind(2));
        TEnemyKinds kinds;
        try {
            LoadEnemyKinds(files.Reader(), kinds);
            ADD_FAILURE() << "no error for " << c.override;
        } catch (const levels::EFieldError& e) {
            EXPECT_EQ(e.File(), kEnemyCatalogueFile);
            EXPECT_EQ(e.Section(), "1");
            EXPECT_EQ(e.Key(), c.key);
            const std::string what = e.what();
            EXPECT_NE(what.find("Enemies.ini"), std::string::npos) << what;
            EXPECT_NE(what.find(c.key), std::string::npos) << what;
        }
        EXPECT_EQ(kinds.size(), 1u) << c.override;
    }
    // A key missing altogether reads "ini error", which is no number either.
    SetFile(Kind(0) + "[1]\nkind=2\nname=half\n");
    TEnemyKinds kinds;
    EXPECT_THROW(LoadEnemyKinds(files.Reader(), kinds), levels::EFieldError);
    EXPECT_EQ(kinds.size(), 1u);
}

// Launching a child of a kind that does not exist could only build an enemy out of nothing.
TEST_F(EnemyCatalogueTest, LaunchersMustNameAKindOfTheCatalogue) {
    struct Case {
        const char* launcher;  // overrides of kind 1 of three
        bool fine;
    };
    const Case cases[] = {
        {"attackKind=6\nCreateEnemyIndex=2\n", true},
        {"attackKind=6\nCreateEnemyIndex=3\n", false},
        {"kind=3\nCreateEnemyIndex=-1\n", false},
        {"attackKind=1\nCreateEnemyIndex=99\n", true},  // does not launch: never used
    };
    for (const Case& c : cases) {
        SetFile(Kind(0) + Kind(1, c.launcher) + Kind(2));
        TEnemyKinds kinds;
        if (c.fine) {
            EXPECT_NO_THROW(LoadEnemyKinds(files.Reader(), kinds)) << c.launcher;
            continue;
        }
        try {
            LoadEnemyKinds(files.Reader(), kinds);
            ADD_FAILURE() << "no error for " << c.launcher;
        } catch (const levels::EFieldError& e) {
            EXPECT_EQ(e.Section(), "1");
            EXPECT_EQ(e.Key(), "CreateEnemyIndex");
        }
    }
}

TEST_F(EnemyCatalogueTest, TextKeysAreTakenAsTheyAre) {
    SetFile(Kind(0, "name=\nImageName=ini error\n"));
    const TEnemyKinds kinds = Load();
    EXPECT_EQ(kinds[0].name, "");
    EXPECT_EQ(kinds[0].ImageName, "ini error");
}

} // namespace
} // namespace vlm::combat
