#include "levels/ShipCode.h"

#include <gtest/gtest.h>

namespace vlm::levels {
namespace {

TShipConfig Ship(int skin, int primary, int mega, int autoaim, int rocket, int armor, int regen, int strength,
                 bool freeze, int rockets) {
    return TShipConfig{skin, primary, mega, autoaim, rocket, armor, regen, strength, freeze, rockets};
}

TEST(ShipCode, EncodesTenTwoDigitFieldsJoinedByUnderscores) {
    EXPECT_EQ(EncodeShipCode(Ship(3, 4, 1, 0, 2, 8, 5, 7, true, 12)), "03_04_01_00_02_08_05_07_01_12");
    EXPECT_EQ(EncodeShipCode(Ship(1, 1, 0, 0, 0, 0, 0, 0, false, 6)), "01_01_00_00_00_00_00_00_00_06");
}

TEST(ShipCode, RoundTripsEveryField) {
    const TShipConfig cases[] = {
        Ship(1, 1, 0, 0, 0, 0, 0, 0, false, 6),
        Ship(6, 9, 9, 9, 5, 8, 4, 3, true, 99),
        Ship(0, 0, 0, 0, 0, 0, 0, 0, false, 0),
        Ship(10, 11, 12, 13, 14, 15, 16, 17, true, 18),
    };
    for (const auto& ship : cases) {
        const std::string code = EncodeShipCode(ship);
        EXPECT_EQ(code.size(), kShipCodeLength) << code;
        EXPECT_EQ(DecodeShipCode(code), ship) << code;
    }
}

TEST(ShipCode, ValuesThatDoNotFitTwoDigitsAreClampedSoLaterFieldsStayInPlace) {
    const std::string code = EncodeShipCode(Ship(1, 2, 3, 4, 5, 6, 7, 8, false, 150));
    EXPECT_EQ(code, "01_02_03_04_05_06_07_08_00_99");
    EXPECT_EQ(EncodeShipCode(Ship(-1, 2, 3, 4, 5, 6, 7, 8, false, 6)).substr(0, 3), "00_");
}

TEST(ShipCode, DecoderIgnoresSeparatorsAndTrailingText) {
    const TShipConfig ship = DecodeShipCode("02-03x04 05.06/07:08;09?01|10 and more");
    EXPECT_EQ(ship, Ship(2, 3, 4, 5, 6, 7, 8, 9, true, 10));
}

TEST(ShipCode, AnyTimeFreezeFieldButZeroZeroMeansOwned) {
    EXPECT_FALSE(DecodeShipCode("01_01_00_00_00_00_00_00_00_06").TimeFreezeOwned);
    EXPECT_TRUE(DecodeShipCode("01_01_00_00_00_00_00_00_01_06").TimeFreezeOwned);
    EXPECT_TRUE(DecodeShipCode("01_01_00_00_00_00_00_00_37_06").TimeFreezeOwned);
}

TEST(ShipCode, DamagedCodesAreRejected) {
    const char* damaged[] = {
        "",
        "ini error",
        "01_01_00_00_00_00_00_00_00_6",   // 28 characters
        "01_01_00_00_00_00_00_00_00_0x",
        "1_01_00_00_00_00_00_00_00_06_",  // fields shifted by one
        " 1_01_00_00_00_00_00_00_00_06",
        "-1_01_00_00_00_00_00_00_00_06",
    };
    for (const char* code : damaged) EXPECT_THROW(DecodeShipCode(code), EShipCodeError) << '"' << code << '"';
}

TEST(ShipCode, ArmourTableGivesTwentyFivePerLevel) {
    EXPECT_EQ(ArmorPointsForLevel(0), 0);
    EXPECT_EQ(ArmorPointsForLevel(3), 75);
    EXPECT_EQ(ArmorPointsForLevel(8), 200);
}

TEST(BonusDropTable, WithoutTimeFreezeKindTwelveAndThirteenGetNothing) {
    const auto chances = DecodeBonusDropTable("20_10_10_10_10_10_10_10_10_10_10_10", false);
    EXPECT_EQ(chances[0], 20);
    for (int kind = 2; kind <= 11; ++kind) EXPECT_EQ(chances[kind - 1], 10) << "kind " << kind;
    EXPECT_EQ(chances[11], 0);
    EXPECT_EQ(chances[12], 0);
}

TEST(BonusDropTable, WithTimeFreezeKindTwelveIsRead) {
    const auto chances = DecodeBonusDropTable("20_10_10_10_10_10_10_10_10_10_10_33_44", true);
    EXPECT_EQ(chances[11], 33);
    EXPECT_EQ(chances[12], 0);  // kind 13 is never read
}

TEST(BonusDropTable, ShortOrDamagedTablesAreRejected) {
    // Eleven numbers are enough without the time freeze, not with it.
    const std::string eleven = "01_02_03_04_05_06_07_08_09_10_11";
    EXPECT_NO_THROW(DecodeBonusDropTable(eleven, false));
    EXPECT_THROW(DecodeBonusDropTable(eleven, true), EShipCodeError);
    EXPECT_THROW(DecodeBonusDropTable("01_02_03_04_05_06_07_08_09_1o_11", false), EShipCodeError);
    EXPECT_THROW(DecodeBonusDropTable("1_2_3_4_5_6_7_8_9_10_11_12", false), EShipCodeError);
}

} // namespace
} // namespace vlm::levels
