#include "data/Scramble.h"

#include "data/Errors.h"

namespace vlm::data {

namespace {

constexpr uint8_t kEscape = 0x1B;
constexpr uint8_t kEscapeFlip = 0x40;

uint8_t KeyFor(size_t zeroBasedPosition)
{
    // Positions count from 1 after the marker: odd positions use A.
    return (zeroBasedPosition % 2 == 0) ? kScrambleKeyA : kScrambleKeyB;
}

} // namespace

std::string ScrambleLine(std::string_view line)
{
    std::string out;
    out.reserve(kScrambleMarker.size() + line.size());
    out += kScrambleMarker;
    for (size_t i = 0; i < line.size(); ++i) {
        const uint8_t masked = static_cast<uint8_t>(line[i]) ^ KeyFor(i);
        if (masked == '\r' || masked == '\n' || masked == kEscape) {
            out += static_cast<char>(kEscape);
            out += static_cast<char>(masked ^ kEscapeFlip);
        } else {
            out += static_cast<char>(masked);
        }
    }
    return out;
}

std::string UnscrambleLine(std::string_view line)
{
    if (!line.starts_with(kScrambleMarker))
        throw ECryptError();
    line.remove_prefix(kScrambleMarker.size());
    std::string out;
    out.reserve(line.size());
    for (size_t i = 0; i < line.size(); ++i) {
        uint8_t masked = static_cast<uint8_t>(line[i]);
        if (masked == kEscape) {
            if (++i == line.size())
                throw ECryptError();
            masked = static_cast<uint8_t>(line[i]) ^ kEscapeFlip;
        }
        out += static_cast<char>(masked ^ KeyFor(out.size()));
    }
    return out;
}

void ScrambleLines(std::vector<std::string>& lines)
{
    for (std::string& line : lines)
        line = ScrambleLine(line);
}

void UnscrambleLines(std::vector<std::string>& lines, const std::string& fileName)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        try {
            lines[i] = UnscrambleLine(lines[i]);
        } catch (const ECryptError&) {
            throw ECryptError(fileName, static_cast<int>(i + 1));
        }
    }
}

} // namespace vlm::data
