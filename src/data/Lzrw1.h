#pragma once
// LZRW1 compression of "PACZ" archive entries (Ross Williams' LZRW1 item format inside
// our own framing; docs/archive-format.md describes the bytes).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vlm::data {

// Compressed mode byte of a "PACZ" archive header that selects this framing.
inline constexpr uint8_t kLzrw1Mode = 1;

// Frames and compresses `plain`. Data that would grow is stored as a copy inside the frame.
std::vector<uint8_t> Lzrw1Compress(std::span<const uint8_t> plain);

// Decompresses one frame. On a malformed frame returns nothing and puts the reason
// into `problem`; never reads outside `frame` and never writes more than the frame declares.
std::optional<std::vector<uint8_t>> Lzrw1Decompress(std::span<const uint8_t> frame, std::string& problem);

} // namespace vlm::data
