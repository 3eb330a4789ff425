#pragma once
// The ship code: the player's ship configuration as ten two-digit fields joined by "_"
// ("01_02_00_00_01_03_00_00_01_06"), as level files name a time ship and save slots store
// the ship. Also the level files' bonus drop table, which is written the same way.

#include <array>
#include <stdexcept>
#include <cstdint>
#include <string>
#include <string_view>

namespace vlm::levels {

// The ten values of a ship code, in the order of its fields.
struct TShipConfig {
    int32_t CurrentSkin = 1;
    int32_t PrimaryLevel = 1;
    int32_t MegaLevel = 0;
    int32_t AutoaimLevel = 0;
    int32_t RocketLevel = 0;        // secondary weapon level
    int32_t ArmorLevel = 0;
    int32_t RegenLevel = 0;
    int32_t BonusStrengthLevel = 0;
    bool TimeFreezeOwned = false;   // field 9: "00" not owned, anything else owned
    int32_t Rockets = 0;

    bool operator==(const TShipConfig&) const = default;
};

inline constexpr size_t kShipCodeLength = 29;

// A ship code or bonus drop table with something other than two digits where a number
// belongs. The message quotes the text and names the field.
class EShipCodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Ten fields of two digits joined by "_". A value outside 0..99 does not fit its field and
// would shift every later field, so it is written clamped to 0 or 99.
std::string EncodeShipCode(const TShipConfig& ship);

// Reads the fields at positions 1-2, 4-5, ..., 28-29 and ignores the characters between
// them. Throws EShipCodeError when the code is shorter than 29 characters or a field is not
// two decimal digits.
TShipConfig DecodeShipCode(std::string_view code);

// Armour points of an armour level: 25 per level.
int32_t ArmorPointsForLevel(int32_t armorLevel);

// The "BDrop" table: two-digit numbers at positions 1-2, 4-5, 7-8, ... for the bonus kinds
// 1 upward. Kinds 1 to 11 are always read, kind 12 only when the time-freeze upgrade is
// owned (else 0); kind 13 is always 0. Index 0 of the result is kind 1. Throws
// EShipCodeError when a number that is read is missing or not two digits.
std::array<uint8_t, 13> DecodeBonusDropTable(std::string_view table, bool timeFreezeOwned);

} // namespace vlm::levels
