#pragma once
// Numbers as the game's files hold them. The comma is the only decimal separator, both for
// reading and for writing ("0,8"); a point does not convert.
//
// Integers: blanks before the number are allowed, then an optional "+" or "-", then decimal
// digits, or "$" / "0x" / "0X" and hexadecimal digits. Nothing may follow. A value outside
// the type's range does not convert.
// Floats: blanks around the number are allowed, then an optional sign, digits with at most
// one ",", at least one digit, and an optional exponent "E" / "e" with an optional sign and
// digits. Infinities, NaN and values beyond the double range do not convert.
//
// StrTo* raise EConvertError whose message quotes the text ("'0.8' is not a valid floating
// point value"); TryStrTo* report the failure instead.

#include <cstdint>
#include <string>
#include <string_view>

namespace vlm::data {

int32_t StrToInt(std::string_view text);
int64_t StrToInt64(std::string_view text);
double StrToFloat(std::string_view text);

bool TryStrToInt(std::string_view text, int32_t& value);
bool TryStrToInt64(std::string_view text, int64_t& value);
bool TryStrToFloat(std::string_view text, double& value);

std::string IntToStr(int64_t value);

// The shortest text that reads back as exactly `value`, with the comma: 0.8 -> "0,8",
// 100.0 -> "100", 1e-7 -> "1E-7". Infinities and NaN give "INF", "-INF" and "NAN".
std::string FloatToStr(double value);

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4,
// -2.5 -> -2). NaN gives 0; values beyond the int64 range give its nearest end.
int64_t RoundHalfEven(double value);

} // namespace vlm::data
