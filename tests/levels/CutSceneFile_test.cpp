// Reading a cut-scene file: its pages up to the first section without a whole-number "Time", the
// picture's and the text's keys read only when the page has them, and values refused with their
// file, section and key.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "levels/CutSceneFile.h"
#include "levels/IniFiles.h"

namespace vlm::levels {
namespace {

const char* kFile = "\\Data\\t_data\\cutscenes\\story.ini";

std::string Picture(int section, const std::string& image = "pics\\a.jpg") {
    return "[" + std::to_string(section) + "]\nTime=" + std::to_string(section * 10) +
           "\nDestroyTime=7\nSpriteImage=" + image +
           "\nSpriteX=0,5\nSpriteZ=-1,25\nSpriteWidth=3,5\nSpriteHeight=2,5\nText=\n";
}

class CutSceneFileTest : public ::testing::Test {
protected:
    TCutSceneScript Read(const std::string& text) {
        files.Add(kFile, text);
        return ReadCutScene(files.Reader(), "story.ini");
    }
    // file|section|key of the refusal, or "" when the file was read.
    std::string Refusal(const std::string& text) {
        try {
            Read(text);
            return "";
        } catch (const EFieldError& e) {
            return e.File() + "|" + e.Section() + "|" + e.Key();
        }
    }
    test::IniFiles files;
};

TEST_F(CutSceneFileTest, PagesRunUpToTheFirstSectionWithoutAWholeNumberTime) {
    const TCutSceneScript s =
        Read("[MAIN]\nShowAt=1\n" + Picture(0) + Picture(1) + "[2]\nTime=1,5\n" + Picture(3));
    EXPECT_EQ(s.FileName, kFile);
    EXPECT_EQ(s.ShowAtText, "1");
    ASSERT_EQ(s.Pages.size(), 2u);
    const TCutScenePage& p = s.Pages[1];
    EXPECT_EQ(p.Time, 10);
    EXPECT_EQ(p.DestroyTime, 7);
    EXPECT_EQ(p.SpriteImage, "pics\\a.jpg");
    EXPECT_DOUBLE_EQ(p.SpriteX, 0.5);
    EXPECT_DOUBLE_EQ(p.SpriteZ, -1.25);
    EXPECT_DOUBLE_EQ(p.SpriteWidth, 3.5);
    EXPECT_DOUBLE_EQ(p.SpriteHeight, 2.5);
    EXPECT_TRUE(p.Text.empty());
    EXPECT_FALSE(files.WasRead("1/TextX"));  // no text, no text keys
}

TEST_F(CutSceneFileTest, ATextPageKeepsItsLinesAndReadsNoPictureKeys) {
    const TCutSceneScript s = Read(
        "[MAIN]\nShowAt=0\n[0]\nTime=0\nDestroyTime=0\nSpriteImage=\nText=FIRST LINE|SECOND||LAST\nTextX=512\n"
        "TextY=300,5\nTextScaleX=0,3\nTextScaleY=0,4\nTextAlign=1\n");
    ASSERT_EQ(s.Pages.size(), 1u);
    const TCutScenePage& p = s.Pages[0];
    EXPECT_TRUE(p.SpriteImage.empty());
    EXPECT_EQ(p.Text, "FIRST LINE\rSECOND\r\rLAST");
    EXPECT_DOUBLE_EQ(p.TextX, 512.0);
    EXPECT_DOUBLE_EQ(p.TextY, 300.5);
    EXPECT_DOUBLE_EQ(p.TextScaleX, 0.3);
    EXPECT_DOUBLE_EQ(p.TextScaleY, 0.4);
    EXPECT_EQ(p.TextAlign, 1);
    EXPECT_FALSE(files.WasRead("0/SpriteX"));
}

TEST_F(CutSceneFileTest, AbsentPictureAndTextKeysMeanNoneRatherThanTheReadersErrorText) {
    // Neither key written: nothing to show (not a picture or a text called "ini error"), and
    // nothing else of the page is needed.
    const TCutSceneScript s = Read("[MAIN]\nShowAt=0\n[0]\nTime=3\n");
    ASSERT_EQ(s.Pages.size(), 1u);
    EXPECT_TRUE(s.Pages[0].SpriteImage.empty());
    EXPECT_TRUE(s.Pages[0].Text.empty());
    EXPECT_FALSE(files.WasRead("0/DestroyTime"));
}

TEST_F(CutSceneFileTest, BadOrUnreasonableValuesAreRefusedWithFileSectionAndKey) {
    const std::string file = std::string(kFile);
    const struct {
        std::string text;
        std::string where;
    } cases[] = {
        {Picture(0) + "[1]\nTime=0\nSpriteImage=p.jpg\nSpriteX=0,5\n", file + "|1|DestroyTime"},
        {"[0]\nTime=0\nDestroyTime=0\nSpriteImage=p.jpg\nSpriteX=0.5\n", file + "|0|SpriteX"},
        {"[0]\nTime=0\nDestroyTime=0\nSpriteImage=p.jpg\nSpriteX=0\nSpriteZ=0\nSpriteWidth=-1\n", file + "|0|SpriteWidth"},
        {"[0]\nTime=0\nDestroyTime=0\nSpriteImage=p.jpg\nSpriteX=1E300\n", file + "|0|SpriteX"},
        {"[0]\nTime=0\nDestroyTime=0\nText=HI\nTextX=1\nTextY=1\nTextScaleX=500\n", file + "|0|TextScaleX"},
        {"[0]\nTime=0\nDestroyTime=0\nText=HI\nTextX=1\nTextY=1\nTextScaleX=1\nTextScaleY=1\n", file + "|0|TextAlign"},
        {"[0]\nTime=0\nDestroyTime=0\nText=" + std::string(1001, 'A') + "\n", file + "|0|Text"},
    };
    for (const auto& c : cases) EXPECT_EQ(Refusal("[MAIN]\nShowAt=0\n" + c.text), c.where) << c.text.substr(0, 60);
}

TEST_F(CutSceneFileTest, MoreThanTheMostPagesIsRefusedNamingTheLimit) {
    std::string text = "[MAIN]\nShowAt=0\n";
    for (int n = 0; n <= kMaxCutScenePages; ++n) text += "[" + std::to_string(n) + "]\nTime=0\n";
    try {
        Read(text);
        FAIL() << "read";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("more than 100 pages"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("story.ini"), std::string::npos) << e.what();
    }
    // One page fewer is read whole.
    text = "[MAIN]\nShowAt=0\n";
    for (int n = 0; n < kMaxCutScenePages; ++n) text += "[" + std::to_string(n) + "]\nTime=0\n";
    EXPECT_EQ(Read(text).Pages.size(), size_t(kMaxCutScenePages));
}

}  // namespace
}  // namespace vlm::levels
