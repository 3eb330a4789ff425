#include "data/TopRanks.h"

#include "data/Errors.h"
#include "data/Scramble.h"
#include "data/TempFolder.h"

#include <gtest/gtest.h>

namespace vlm::data {
namespace {

using vlm::testing::ReadFile;
using vlm::testing::TempFolder;
using vlm::testing::WriteFile;

class TopRanksTest : public ::testing::Test {
protected:
    TopRanksTest() : store(temp / "game", temp / "user") { std::filesystem::create_directories(temp / "game"); }
    std::filesystem::path File() const { return temp / "user" / "Saves" / "tr" / "tr.ini"; }
    TTopRanksLoad Load()
    {
        store.ClearCache();
        return LoadTopRanks(store);
    }
    TempFolder temp;
    DataStore store;
};

TEST_F(TopRanksTest, AFirstStartWritesTheDefaultTableScrambled)
{
    const TTopRanksLoad load = Load();
    EXPECT_TRUE(load.message.empty());
    EXPECT_EQ(load.table[0].name, "QUORVEL");
    EXPECT_EQ(load.table[9].score, 100);
    const std::string text = ReadFile(File());
    EXPECT_EQ(text.find("QUORVEL"), std::string::npos) << "names are stored scrambled";
    EXPECT_NE(text.find(kScrambleMarker), std::string::npos);
    EXPECT_EQ(Load().table[1].name, "Velmoran");
}

TEST_F(TopRanksTest, ScoresAboveThirtyTwoBitsSurviveTheRoundTrip)
{
    TTopRanksTable t = DefaultTopRanks();
    t[0] = {"Far", 5'000'000'000LL};
    SaveTopRanks(store, t);
    const TTopRanksLoad load = Load();
    EXPECT_TRUE(load.message.empty()) << load.message;
    EXPECT_EQ(load.table[0].score, 5'000'000'000LL);
}

TEST_F(TopRanksTest, AnEqualScoreSortsBelowTheOlderEntries)
{
    TTopRanksTable t = DefaultTopRanks();
    t[8] = {"Old", 100};  // ninth and tenth now share 100
    EXPECT_TRUE(InsertTopRank(t, "New", 100));
    EXPECT_EQ(t[8].name, "Old");
    EXPECT_EQ(t[9].name, "New");
    EXPECT_FALSE(InsertTopRank(t, "Low", 99));
    EXPECT_TRUE(InsertTopRank(t, "Mid", 30000));
    EXPECT_EQ(t[5].name, "Captain");
    EXPECT_EQ(t[6].name, "Mid");
    EXPECT_EQ(t[7].name, "Soldier");
    SaveTopRanks(store, t);
    EXPECT_EQ(Load().table[6].name, "Mid");
}

TEST_F(TopRanksTest, NamesAreCutToTheEntryLength)
{
    TTopRanksTable t = DefaultTopRanks();
    ASSERT_TRUE(InsertTopRank(t, std::string(40, 'x'), 1'000'000));
    EXPECT_EQ(t[0].name.size(), kTopRankNameLength);
}

TEST_F(TopRanksTest, ADamagedFileIsKeptBesideAndTheDefaultTableStarts)
{
    // Cases: a line without the marker, and a score that is not a number.
    const std::string unreadable = "[rank1]\r\nname=plain text without the marker\r\n";
    TTopRanksTable t = DefaultTopRanks();
    for (const std::string& damaged : {unreadable, std::string()}) {
        std::filesystem::remove_all(temp / "user");
        if (damaged.empty()) {
            SaveTopRanks(store, t);
            std::string text = ReadFile(File());
            // Replace the last line (rank10's score) by a scrambled "score=lots".
            text = text.substr(0, text.rfind(std::string(kScrambleMarker))) + ScrambleLine("score=lots") + "\r\n";
            WriteFile(File(), text);
        } else {
            std::filesystem::create_directories(File().parent_path());
            WriteFile(File(), damaged);
        }
        const std::string before = ReadFile(File());
        const TTopRanksLoad load = Load();
        EXPECT_NE(load.message.find("tr.ini"), std::string::npos) << load.message;
        ASSERT_EQ(load.keptAs, "tr.ini.damaged");
        EXPECT_EQ(ReadFile(File().parent_path() / load.keptAs), before) << "the damaged file is kept as it was";
        EXPECT_EQ(load.table[0].name, "QUORVEL");
        EXPECT_TRUE(Load().message.empty()) << "the new table reads back";
    }
}

TEST_F(TopRanksTest, ASecondDamagedFileDoesNotReplaceTheFirstKeptOne)
{
    std::filesystem::create_directories(File().parent_path());
    WriteFile(File(), "first damaged\r\n");
    EXPECT_EQ(Load().keptAs, "tr.ini.damaged");
    WriteFile(File(), "second damaged\r\n");
    EXPECT_EQ(Load().keptAs, "tr.ini.damaged2");
    EXPECT_EQ(ReadFile(File().parent_path() / "tr.ini.damaged"), "first damaged\r\n");
}

}  // namespace
}  // namespace vlm::data
