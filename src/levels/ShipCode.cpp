#include "levels/ShipCode.h"

#include <algorithm>

namespace vlm::levels {

namespace {

// The two-digit number at 0-based offset `at`, or an error naming what it is part of.
int32_t TwoDigits(std::string_view text, size_t at, std::string_view what, int field) {
    if (at + 2 > text.size())
        throw EShipCodeError(std::string(what) + " \"" + std::string(text) + "\" is too short for field " +
                             std::to_string(field));
    const char hi = text[at];
    const char lo = text[at + 1];
    if (hi < '0' || hi > '9' || lo < '0' || lo > '9')
        throw EShipCodeError(std::string(what) + " \"" + std::string(text) + "\": field " + std::to_string(field) +
                             " is not a two-digit number");
    return (hi - '0') * 10 + (lo - '0');
}

void AppendField(std::string& out, int32_t value) {
    value = std::clamp<int32_t>(value, 0, 99);
    out.push_back(static_cast<char>('0' + value / 10));
    out.push_back(static_cast<char>('0' + value % 10));
}

} // namespace

std::string EncodeShipCode(const TShipConfig& ship) {
    const int32_t fields[10] = {ship.CurrentSkin,  ship.PrimaryLevel, ship.MegaLevel,
                                ship.AutoaimLevel, ship.RocketLevel,  ship.ArmorLevel,
                                ship.RegenLevel,   ship.BonusStrengthLevel, ship.TimeFreezeOwned ? 1 : 0,
                                ship.Rockets};
    std::string code;
    code.reserve(kShipCodeLength);
    for (int i = 0; i < 10; ++i) {
        if (i > 0) code.push_back('_');
        AppendField(code, fields[i]);
    }
    return code;
}

TShipConfig DecodeShipCode(std::string_view code) {
    if (code.size() < kShipCodeLength)
        throw EShipCodeError("Ship code \"" + std::string(code) + "\" is too short: it needs ten two-digit fields");
    int32_t f[10];
    for (int i = 0; i < 10; ++i) f[i] = TwoDigits(code, static_cast<size_t>(i) * 3, "Ship code", i + 1);
    TShipConfig ship;
    ship.CurrentSkin = f[0];
    ship.PrimaryLevel = f[1];
    ship.MegaLevel = f[2];
    ship.AutoaimLevel = f[3];
    ship.RocketLevel = f[4];
    ship.ArmorLevel = f[5];
    ship.RegenLevel = f[6];
    ship.BonusStrengthLevel = f[7];
    ship.TimeFreezeOwned = f[8] != 0;
    ship.Rockets = f[9];
    return ship;
}

int32_t ArmorPointsForLevel(int32_t armorLevel) { return 25 * armorLevel; }

std::array<uint8_t, 13> DecodeBonusDropTable(std::string_view table, bool timeFreezeOwned) {
    std::array<uint8_t, 13> chances{};
    const int kinds = timeFreezeOwned ? 12 : 11;
    for (int k = 0; k < kinds; ++k)
        chances[static_cast<size_t>(k)] =
            static_cast<uint8_t>(TwoDigits(table, static_cast<size_t>(k) * 3, "Bonus drop table", k + 1));
    return chances;
}

} // namespace vlm::levels
