#include "data/Lzrw1.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vlm::data {

namespace {

// Frame: uncompressed size (u32 LE), method (u32 LE: 0 items, 1 stored copy), then the body.
constexpr size_t kHeaderBytes = 8;
constexpr uint32_t kMethodItems = 0;
constexpr uint32_t kMethodStored = 1;

constexpr size_t kMaxOffset = 4095;  // 12-bit copy offset
constexpr size_t kMinCopy = 3;
constexpr size_t kMaxCopy = 16;      // 4-bit (length - 1)
constexpr size_t kHashSize = 4096;

void PutU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint32_t GetU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

size_t Hash(const uint8_t* p)
{
    return ((40543u * ((((uint32_t(p[0]) << 4) ^ p[1]) << 4) ^ p[2])) >> 4) & (kHashSize - 1);
}

} // namespace

std::vector<uint8_t> Lzrw1Compress(std::span<const uint8_t> plain)
{
    std::vector<uint8_t> out;
    out.reserve(kHeaderBytes + plain.size() + plain.size() / 8 + 2);
    PutU32(out, static_cast<uint32_t>(plain.size()));
    PutU32(out, kMethodItems);

    // Positions + 1 of the last occurrence of each 3-byte hash; 0 means none.
    std::vector<size_t> table(kHashSize, 0);
    const size_t n = plain.size();
    size_t src = 0;
    size_t controlAt = 0;
    uint16_t control = 0;
    int items = 16; // forces a new control word before the first item

    while (src < n) {
        if (items == 16) {
            if (controlAt != 0) {
                out[controlAt] = static_cast<uint8_t>(control & 0xFF);
                out[controlAt + 1] = static_cast<uint8_t>(control >> 8);
            }
            controlAt = out.size();
            out.push_back(0);
            out.push_back(0);
            control = 0;
            items = 0;
        }

        size_t length = 0;
        size_t offset = 0;
        if (n - src >= kMinCopy) {
            const size_t h = Hash(&plain[src]);
            const size_t candidate = table[h];
            table[h] = src + 1;
            if (candidate != 0) {
                const size_t from = candidate - 1;
                offset = src - from;
                if (offset >= 1 && offset <= kMaxOffset) {
                    const size_t limit = std::min(kMaxCopy, n - src);
                    while (length < limit && plain[from + length] == plain[src + length])
                        ++length;
                }
            }
        }

        if (length >= kMinCopy) {
            control |= uint16_t(1u << items);
            out.push_back(static_cast<uint8_t>(((offset & 0xF00) >> 4) | (length - 1)));
            out.push_back(static_cast<uint8_t>(offset & 0xFF));
            src += length;
        } else {
            out.push_back(plain[src]);
            ++src;
        }
        ++items;
    }
    if (controlAt != 0) {
        out[controlAt] = static_cast<uint8_t>(control & 0xFF);
        out[controlAt + 1] = static_cast<uint8_t>(control >> 8);
    }

    if (out.size() > kHeaderBytes + plain.size()) {
        out.resize(kHeaderBytes);
        out[4] = kMethodStored;
        out.insert(out.end(), plain.begin(), plain.end());
    }
    return out;
}

std::optional<std::vector<uint8_t>> Lzrw1Decompress(std::span<const uint8_t> frame, std::string& problem)
{
    if (frame.size() < kHeaderBytes) {
        problem = "the compressed data is shorter than its 8-byte header";
        return std::nullopt;
    }
    const uint64_t declared = GetU32(frame.data());
    const uint32_t method = GetU32(frame.data() + 4);
    const std::span<const uint8_t> body = frame.subspan(kHeaderBytes);

    if (method == kMethodStored) {
        if (body.size() != declared) {
            problem = "the stored data holds " + std::to_string(body.size()) + " bytes but declares " +
                      std::to_string(declared);
            return std::nullopt;
        }
        return std::vector<uint8_t>(body.begin(), body.end());
    }
    if (method != kMethodItems) {
        problem = "unknown compression method " + std::to_string(method);
        return std::nullopt;
    }
    // Every 2 body bytes give at most 16 output bytes; a larger claim is a lie, and
    // refusing it here keeps a damaged header from asking for gigabytes.
    if (declared > uint64_t(body.size()) * 8) {
        problem = "the compressed data declares " + std::to_string(declared) + " bytes, more than " +
                  std::to_string(body.size()) + " compressed bytes can hold";
        return std::nullopt;
    }

    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(declared));
    size_t pos = 0;
    uint32_t control = 0;
    int bits = 0;
    while (pos < body.size()) {
        if (bits == 0) {
            if (body.size() - pos < 2) {
                problem = "the compressed data ends inside a control word";
                return std::nullopt;
            }
            control = uint32_t(body[pos]) | uint32_t(body[pos + 1]) << 8;
            pos += 2;
            bits = 16;
            if (pos == body.size())
                break; // a control word with no items: only ever at the very end
        }
        if (control & 1) {
            if (body.size() - pos < 2) {
                problem = "the compressed data ends inside a copy item";
                return std::nullopt;
            }
            const size_t offset = size_t(body[pos] & 0xF0) << 4 | body[pos + 1];
            const size_t length = size_t(body[pos] & 0x0F) + 1;
            pos += 2;
            if (offset == 0 || offset > out.size()) {
                problem = "a copy item reaches back before the start of the data";
                return std::nullopt;
            }
            if (out.size() + length > declared) {
                problem = "the data decompresses to more than the declared " + std::to_string(declared) + " bytes";
                return std::nullopt;
            }
            const size_t from = out.size() - offset;
            for (size_t i = 0; i < length; ++i)
                out.push_back(out[from + i]);
        } else {
            if (out.size() + 1 > declared) {
                problem = "the data decompresses to more than the declared " + std::to_string(declared) + " bytes";
                return std::nullopt;
            }
            out.push_back(body[pos++]);
        }
        control >>= 1;
        --bits;
    }
    if (out.size() != declared) {
        problem = "the data decompresses to " + std::to_string(out.size()) + " bytes but declares " +
                  std::to_string(declared);
        return std::nullopt;
    }
    return out;
}

} // namespace vlm::data
