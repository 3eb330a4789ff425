#pragma once
// Scrambled lines of the user's save files: the marker "quorvelworksvlm2script" and then
// the line's bytes masked with two alternating key bytes (the first, third, ... byte with
// kScrambleKeyA, the second, fourth, ... with kScrambleKeyB).
//
// Both keys have the high bit set, so every byte of plain ASCII text masks to a byte at or
// above 0x80 and a scrambled ASCII line is exactly 22 bytes longer than the line. Any other
// byte could mask to a line break and split the line in the file, so a masked byte that
// would be CR, LF or the escape byte 0x1B is written as 0x1B followed by the masked byte
// xor 0x40. ASCII text never needs the escape.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vlm::data {

inline constexpr std::string_view kScrambleMarker = "quorvelworksvlm2script";
inline constexpr uint8_t kScrambleKeyA = 0xB5;
inline constexpr uint8_t kScrambleKeyB = 0xD9;

std::string ScrambleLine(std::string_view line);

// Throws ECryptError ("save file is damaged!") when the marker is missing or an escape is
// cut off at the end of the line.
std::string UnscrambleLine(std::string_view line);

// All lines in place; a failing line raises ECryptError naming `fileName` and the line number.
void ScrambleLines(std::vector<std::string>& lines);
void UnscrambleLines(std::vector<std::string>& lines, const std::string& fileName);

} // namespace vlm::data
