#include "levels/NavPaths.h"

#include <gtest/gtest.h>

#include "IniFiles.h"
#include "context/LevelGlobals.h"

namespace vlm::levels {
namespace {

// A nav file of nodes given as "s1 p1x p1y p1z r1x r1y r1z" lines, sections numbered as given.
std::string NavFile(const std::string& loop, const std::vector<std::pair<int, std::string>>& nodes) {
    std::string text = "[i]\ni=1\nloo=" + loop + "\n";
    for (const auto& [section, values] : nodes) {
        static const char* keys[] = {"s1", "p1x", "p1y", "p1z", "r1x", "r1y", "r1z"};
        text += "[" + std::to_string(section) + "]\n";
        size_t start = 0;
        for (const char* key : keys) {
            const size_t end = values.find(' ', start);
            text += std::string(key) + "=" + values.substr(start, end - start) + "\n";
            start = end == std::string::npos ? values.size() : end + 1;
        }
    }
    return text;
}

class NavPathsTest : public ::testing::Test {
protected:
    void Add(int number, const std::string& text) { files.Add(NavPathFile(number), text); }
    TNavPathTable Read() {
        TNavPathTable table;
        ReadNavPaths(files.Reader(), table);
        return table;
    }
    test::IniFiles files;
};

TEST_F(NavPathsTest, ReadsNodesInSectionOrderWithCommaDecimals) {
    Add(0, NavFile("1", {{0, "1,5 0,6 0 -0,25 0 -90 0"}, {1, "2 -0,6 0,1 0,25 10 -120,5 5"}}));
    const TNavPathTable table = Read();
    ASSERT_EQ(table.size(), 1u);
    EXPECT_TRUE(table[0].Looped);
    ASSERT_EQ(table[0].Nodes.size(), 2u);
    const TNavNode& b = table[0].Nodes[1];
    EXPECT_DOUBLE_EQ(table[0].Nodes[0].Speed, 1.5);
    EXPECT_DOUBLE_EQ(table[0].Nodes[0].Z, -0.25);
    EXPECT_DOUBLE_EQ(b.Speed, 2.0);
    EXPECT_DOUBLE_EQ(b.X, -0.6);
    EXPECT_DOUBLE_EQ(b.Y, 0.1);
    EXPECT_DOUBLE_EQ(b.Z, 0.25);
    EXPECT_DOUBLE_EQ(b.RotX, 10.0);
    EXPECT_DOUBLE_EQ(b.RotY, -120.5);
    EXPECT_DOUBLE_EQ(b.RotZ, 5.0);
}

TEST_F(NavPathsTest, ValuesUpToTheLimitAreKept) {
    Add(0, NavFile("0", {{0, "1000000 -1000000 1000000 -1000000 1000000 -1000000 1000000"}}));
    const TNavPathTable table = Read();
    ASSERT_EQ(table.size(), 1u);
    ASSERT_EQ(table[0].Nodes.size(), 1u);
    EXPECT_DOUBLE_EQ(table[0].Nodes[0].Speed, kMaxNavValue);
    EXPECT_DOUBLE_EQ(table[0].Nodes[0].X, -kMaxNavValue);
    EXPECT_DOUBLE_EQ(table[0].Nodes[0].RotZ, kMaxNavValue);
}

TEST_F(NavPathsTest, TableEndsAtTheFirstFileWithoutANumberI) {
    const std::string path = NavFile("0", {{0, "1 0 0 0 0 0 0"}, {1, "1 0,5 0 0 0 0 0"}});
    Add(0, path);
    Add(1, path);
    Add(3, path);  // after the gap: never read
    EXPECT_EQ(Read().size(), 2u);

    Add(2, "[i]\ni=not a number\nloo=0\n");
    EXPECT_EQ(Read().size(), 2u);
}

TEST_F(NavPathsTest, NoFilesGiveAnEmptyTable) { EXPECT_TRUE(Read().empty()); }

TEST_F(NavPathsTest, NodesAfterAGapInTheSectionsAreIgnored) {
    Add(0, NavFile("0", {{0, "1 0 0 0 0 0 0"}, {1, "1 0,5 0 0 0 0 0"}, {3, "1 0,9 0 0 0 0 0"}}));
    const TNavPathTable table = Read();
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0].Nodes.size(), 2u);
}

TEST_F(NavPathsTest, OnlyLooOneLoops) {
    const std::pair<const char*, bool> cases[] = {{"1", true}, {"0", false}, {"2", false}, {"-1", false}};
    for (const auto& [loo, looped] : cases) {
        Add(0, NavFile(loo, {{0, "1 0 0 0 0 0 0"}}));
        const TNavPathTable table = Read();
        ASSERT_EQ(table.size(), 1u);
        EXPECT_EQ(table[0].Looped, looped) << "loo=" << loo;
    }
}

// Anything but the two markers must convert: the error names the file, section and key, and
// the paths before the damaged one stay.
TEST_F(NavPathsTest, DamagedValuesStopTheLoadNamingFileSectionAndKey) {
    struct Case {
        const char* text;
        const char* section;
        const char* key;
    };
    const Case cases[] = {
        {"[i]\ni=1\n", "i", "loo"},
        {"[i]\ni=1\nloo=yes\n", "i", "loo"},
        {"[i]\ni=1\nloo=0\n[0]\ns1=1\np1x=0.5\np1y=0\np1z=0\nr1x=0\nr1y=0\nr1z=0\n", "0", "p1x"},
        {"[i]\ni=1\nloo=0\n[0]\ns1=1\np1x=0\np1y=0\np1z=0\nr1x=0\nr1y=0\n", "0", "r1z"},
        // Values that convert but would make infinite or NaN positions in the game's float paths.
        {"[i]\ni=1\nloo=0\n[0]\ns1=1\np1x=1e300\np1y=0\np1z=0\nr1x=0\nr1y=0\nr1z=0\n", "0", "p1x"},
        {"[i]\ni=1\nloo=0\n[0]\ns1=1\np1x=0\np1y=0\np1z=0\nr1x=0\nr1y=0\nr1z=0\n"
         "[1]\ns1=-1000001\np1x=0\np1y=0\np1z=0\nr1x=0\nr1y=0\nr1z=0\n", "1", "s1"},
        {"[i]\ni=1\nloo=0\n[0]\ns1=1\np1x=0\np1y=0\np1z=0\nr1x=0\nr1y=0\nr1z=2000000\n", "0", "r1z"},
    };
    for (const Case& c : cases) {
        files = test::IniFiles();
        Add(0, NavFile("0", {{0, "1 0 0 0 0 0 0"}, {1, "1 0,5 0 0 0 0 0"}}));
        Add(1, c.text);
        TNavPathTable table;
        try {
            ReadNavPaths(files.Reader(), table);
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const EFieldError& e) {
            EXPECT_EQ(e.File(), NavPathFile(1));
            EXPECT_EQ(e.Section(), c.section);
            EXPECT_EQ(e.Key(), c.key);
            EXPECT_NE(std::string(e.what()).find("nav\\1.ini"), std::string::npos) << e.what();
        }
        ASSERT_EQ(table.size(), 1u) << c.text;
        EXPECT_EQ(table[0].Nodes.size(), 2u);
    }
}

TEST_F(NavPathsTest, LoadingResetsTheLevelClock) {
    Add(0, NavFile("0", {{0, "1 0 0 0 0 0 0"}}));
    TLevelGlobals globals;
    globals.LevelTime = 12.5;
    LoadNavPaths(files.Reader(), globals);
    EXPECT_EQ(globals.LevelTime, 0.0);
    EXPECT_EQ(globals.NavPaths.size(), 1u);
}

} // namespace
} // namespace vlm::levels
