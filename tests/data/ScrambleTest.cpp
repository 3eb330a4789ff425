#include "data/Scramble.h"

#include "data/Errors.h"

#include <gtest/gtest.h>

namespace vlm::data {
namespace {

TEST(Scramble, AsciiLineIsMarkerPlusMaskedBytes)
{
    const std::string line = "Name=Ace pilot";
    const std::string scrambled = ScrambleLine(line);
    ASSERT_EQ(scrambled.size(), line.size() + 22);
    EXPECT_EQ(scrambled.substr(0, 22), "quorvelworksvlm2script");
    for (size_t i = 0; i < line.size(); ++i) {
        const uint8_t key = (i % 2 == 0) ? kScrambleKeyA : kScrambleKeyB;
        EXPECT_EQ(static_cast<uint8_t>(scrambled[22 + i]), static_cast<uint8_t>(line[i]) ^ key) << i;
        EXPECT_GE(static_cast<uint8_t>(scrambled[22 + i]), 0x80);
    }
    EXPECT_EQ(UnscrambleLine(scrambled), line);
}

TEST(Scramble, EmptyLineIsTheBareMarker)
{
    EXPECT_EQ(ScrambleLine(""), "quorvelworksvlm2script");
    EXPECT_EQ(UnscrambleLine("quorvelworksvlm2script"), "");
}

// Any byte but a line break may stand anywhere in a line; scrambled, it must never become
// a line break itself, or the file would split the line.
TEST(Scramble, EveryByteSurvivesOnBothKeys)
{
    std::string line;
    for (int b = 0; b < 256; ++b) {
        if (b == '\r' || b == '\n')
            continue;
        line += static_cast<char>(b);
        line += static_cast<char>(b);
    }
    const std::string scrambled = ScrambleLine(line);
    EXPECT_EQ(scrambled.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(UnscrambleLine(scrambled), line);

    // The same after dropping one byte, so each byte meets the other key.
    const std::string shifted = line.substr(1);
    EXPECT_EQ(UnscrambleLine(ScrambleLine(shifted)), shifted);
}

TEST(Scramble, DamagedLinesAreRejected)
{
    const std::string good = ScrambleLine("int=1");
    const std::vector<std::string> damaged = {
        "",
        "quorvelworksvlm2scrip",          // shorter than the marker
        "Quorvelworksvlm2script" + good.substr(22), // letter case differs
        "quorvelworksvlm3script" + good.substr(22),
        "int=1",                          // never scrambled
        "quorvelworksvlm2script\x1B",     // escape cut off at the end
    };
    for (const std::string& line : damaged) {
        try {
            UnscrambleLine(line);
            FAIL() << "accepted '" << line << "'";
        } catch (const ECryptError& error) {
            EXPECT_STREQ(error.what(), "save file is damaged!");
        }
    }
}

TEST(Scramble, FileErrorsNameTheLine)
{
    std::vector<std::string> lines = {"[MAIN]", "Name=x", "[0]"};
    ScrambleLines(lines);
    lines[1] = "Name=x";
    try {
        UnscrambleLines(lines, "Saves/a.ini");
        FAIL();
    } catch (const ECryptError& error) {
        EXPECT_EQ(error.FileName(), "Saves/a.ini");
        EXPECT_EQ(error.LineNumber(), 2);
    }
}

} // namespace
} // namespace vlm::data
